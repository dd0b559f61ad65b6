#include "materialfactory.h"

#include "cataloguefile.h"

#include <QColor>
#include <QDebug>
#include <QFile>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace Model {
namespace Materials {

namespace {

const unsigned firstUserMaterialId = 2000;

QString numberText(float value) { return QString::number(static_cast<double>(value), 'g', 6); }

} // namespace

MaterialFactory::MaterialFactory() : m_materials(defaultMaterials()) {}

boost::shared_ptr<MaterialFactory> MaterialFactory::instance()
{
    static const boost::shared_ptr<MaterialFactory> factory(new MaterialFactory);
    return factory;
}

boost::shared_ptr<MaterialFactory> MaterialFactory::initialize()
{
    boost::shared_ptr<MaterialFactory> factory = instance();
    if (!factory->loadMaterials()) {
        factory->setDefaultMaterials();
        if (CatalogueFile::keepBeforeReplacing(fileName()))
            factory->saveMaterials();
    }
    return factory;
}

QMap<unsigned, Material> MaterialFactory::defaultMaterials()
{
    using Util::Vector4D;
    const Material table[] = {
        Material(1, QStringLiteral("Si"), 2329.0f, 1.88e11f, 0.28f, Vector4D(0.5, 0.5, 0.5, 1.0)),
        Material(3, QStringLiteral("Thermal Si02"), 2200.0f, 7.0e10f, 0.17f, Vector4D(0.5, 0.5, 1.0, 1.0)),
        Material(4, QStringLiteral("Al (bulk)"), 2700.0f, 7.0e10f, 0.14f, Vector4D(0.7, 0.7, 0.7, 1.0)),
        Material(5, QStringLiteral("Cu (bulk)"), 8960.0f, 1.28e11f, 0.36f, Vector4D(1.0, 0.8, 0.3, 1.0)),
        Material(6, QStringLiteral("Cr (bulk)"), 7190.0f, 2.79e11f, 0.21f, Vector4D(0.8, 0.8, 0.8, 1.0)),
        Material(7, QStringLiteral("Ni (bulk)"), 8908.0f, 2.0e11f, 0.31f, Vector4D(0.8, 0.9, 0.8, 1.0)),
        Material(8, QStringLiteral("Pt (bulk)"), 21450.0f, 1.68e11f, 0.38f, Vector4D(0.9, 0.9, 0.8, 1.0)),
        Material(9, QStringLiteral("Au (bulk)"), 19300.0f, 7.9e10f, 0.44f, Vector4D(0.5, 1.0, 0.5, 1.0)),
        Material(10, QStringLiteral("Ti (bulk)"), 4506.0f, 1.16e11f, 0.32f, Vector4D(0.3, 0.3, 0.3, 1.0)),
        Material(11, QStringLiteral("Photoresist +"), 1000.0f, 1.0e9f, 0.4f, Vector4D(1.0, 0.5, 0.5, 1.0)),
        Material(12, QStringLiteral("Photoresist -"), 1000.0f, 1.0e9f, 0.4f, Vector4D(1.0, 0.3, 1.0, 1.0)),
        Material(13, QStringLiteral("PDMS"), 1000.0f, 1.0e9f, 0.4f, Vector4D(1.0, 1.0, 1.0, 1.0)),
        Material(14, QStringLiteral("N-doped Si (100)"), 2329.0f, 1.88e11f, 0.28f, Vector4D(1.0, 1.0, 0.67, 1.0)),
        Material(15, QStringLiteral("P-doped Si (100)"), 2329.0f, 1.88e11f, 0.28f, Vector4D(0.67, 0.67, 1.0, 1.0)),
        Material(16, QStringLiteral("Poly-Si"), 2329.0f, 1.88e11f, 0.28f, Vector4D(0.3, 0.5, 0.4, 1.0)),
        Material(17, QStringLiteral("Si (cubic)"), 329.0f, 1.88e11f, 0.28f, Vector4D(0.4, 0.4, 0.4, 1.0)),
    };
    QMap<unsigned, Material> materials;
    for (const Material &m : table)
        materials.insert(m.getId(), m);
    return materials;
}

void MaterialFactory::setDefaultMaterials()
{
    QMutexLocker lock(&m_mutex);
    m_materials = defaultMaterials();
}

Material MaterialFactory::readMaterial(const QXmlStreamReader &reader)
{
    Material material;
    material.setName(QString());
    if (reader.name() != QLatin1String("Material"))
        return material;
    const QXmlStreamAttributes attributes = reader.attributes();
    material.setName(attributes.value(QLatin1String("name")).toString());
    bool ok = false;
    const unsigned id = attributes.value(QLatin1String("material-id")).toUInt(&ok, 10);
    material.setId(ok ? id : 0);
    material.setDensity(attributes.value(QLatin1String("density")).toFloat());
    material.setPoissonRatio(attributes.value(QLatin1String("poisson-ratio")).toFloat());
    material.setYoungModulus(attributes.value(QLatin1String("young-modulus")).toFloat());
    // A missing or unparsable colour keeps the default grey.
    const QColor color(attributes.value(QLatin1String("color")).toString());
    if (color.isValid())
        material.setColor(Util::Vector4D(color.redF(), color.greenF(), color.blueF(), color.alphaF()));
    return material;
}

void MaterialFactory::writeMaterial(QXmlStreamWriter &writer, const Material &m)
{
    writer.writeEmptyElement(QStringLiteral("Material"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    writer.writeAttribute(QStringLiteral("name"), m.getName());
    writer.writeAttribute(QStringLiteral("material-id"), QString::number(m.getId()));
    writer.writeAttribute(QStringLiteral("density"), numberText(m.getDensity()));
    writer.writeAttribute(QStringLiteral("poisson-ratio"), numberText(m.getPoissonRatio()));
    writer.writeAttribute(QStringLiteral("young-modulus"), numberText(m.getYoungModulus()));
    writer.writeAttribute(QStringLiteral("color"), colorToString(m.getColor()));
}

bool MaterialFactory::loadMaterials()
{
    QMutexLocker lock(&m_mutex);
    // Parsed into a scratch map so that a broken file leaves the catalogue as it was.
    QMap<unsigned, Material> loaded;
    const bool ok = CatalogueFile::read(fileName(), QStringLiteral("Materials"), "Model/Materials/materialfactory", Q_FUNC_INFO,
                                        [this, &loaded](QXmlStreamReader &reader) {
                                            const Material item = readMaterial(reader);
                                            if (item.getId() != 0 && !item.getName().isEmpty())
                                                loaded.insert(item.getId(), item);
                                        });
    if (!ok)
        return false;
    m_materials = loaded;
    return true;
}

QString MaterialFactory::colorToString(const Util::Vector4D &color)
{
    auto channel = [](double value) {
        const int c = qBound(0, static_cast<int>(static_cast<float>(value) * 255.0f), 255);
        return QStringLiteral("%1").arg(c, 2, 16, QLatin1Char('0')).toUpper();
    };
    return QStringLiteral("#%1%2%3%4")
        .arg(channel(color.w), channel(color.x), channel(color.y), channel(color.z));
}

bool MaterialFactory::saveMaterials()
{
    QMutexLocker lock(&m_mutex);
    const QMap<unsigned, Material> &materials = m_materials;
    return CatalogueFile::write(fileName(), [&materials](QXmlStreamWriter &writer) {
        writer.writeStartElement(QStringLiteral("Materials"));
        for (const Material &m : materials)
            writeMaterial(writer, m);
        writer.writeEndElement();
    });
}

Material MaterialFactory::getMaterial(unsigned id) const
{
    QMutexLocker lock(&m_mutex);
    return m_materials.value(id, Material());
}

Material MaterialFactory::getMaterialByName(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    for (const Material &m : m_materials)
        if (m.getName() == name)
            return m;
    return Material();
}

const QMap<QString, QString> &MaterialFactory::nameAliases()
{
    // The built-in oxide's stored name has a zero; lists and documents keep it.
    static const QMap<QString, QString> aliases{{QStringLiteral("Thermal SiO2"), QStringLiteral("Thermal Si02")}};
    return aliases;
}

Material MaterialFactory::findMaterial(const QString &name) const
{
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return Material();
    QString stored;
    for (auto it = nameAliases().constBegin(); it != nameAliases().constEnd(); ++it)
        if (it.key().compare(wanted, Qt::CaseInsensitive) == 0)
            stored = it.value();
    QMutexLocker lock(&m_mutex);
    for (const Material &m : m_materials)
        if (m.getName() == wanted)
            return m;
    if (!stored.isEmpty())
        for (const Material &m : m_materials)
            if (m.getName() == stored)
                return m;
    for (const Material &m : m_materials)
        if (m.getName().compare(wanted, Qt::CaseInsensitive) == 0)
            return m;
    return Material();
}

QList<Material> MaterialFactory::getMaterials() const
{
    QMutexLocker lock(&m_mutex);
    return m_materials.values();
}

bool MaterialFactory::setMaterial(const Material &material)
{
    if (material.getId() == 0)
        return false;
    QMutexLocker lock(&m_mutex);
    m_materials.insert(material.getId(), material);
    return true;
}

unsigned MaterialFactory::newMaterialId() const
{
    QMutexLocker lock(&m_mutex);
    // The random draw spreads new ids over 2000..32766; if it keeps hitting
    // used ids the catalogue is nearly full and a scan finds any free one.
    for (int attempt = 0; attempt < 100000; ++attempt) {
        const quint32 r = QRandomGenerator::global()->bounded(32768u);
        const unsigned id =
            static_cast<unsigned>(static_cast<float>(r * 30767u) * (1.0f / 32768.0f)) + firstUserMaterialId;
        if (id >= firstUserMaterialId && !m_materials.contains(id))
            return id;
    }
    for (unsigned id = firstUserMaterialId; id <= 32766u; ++id)
        if (!m_materials.contains(id))
            return id;
    return 0;
}

} // namespace Materials
} // namespace Model
