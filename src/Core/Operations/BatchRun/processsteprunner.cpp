#include "processsteprunner.h"

#include "Core/Operations/stoppablework.h"
#include "Util/stoptoken.h"

#include "Core/Operations/ColumnProcesses/planarization.h"
#include "Core/Operations/ColumnProcesses/simplereactiveionetching.h"
#include "Core/Operations/ColumnProcesses/spincoating.h"
#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/DistanceCounting/anisotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/anisotropicfilmetching.h"
#include "Core/Operations/DistanceCounting/dopingoperation.h"
#include "Core/Operations/DistanceCounting/electrodeposition.h"
#include "Core/Operations/DistanceCounting/ionimplantation.h"
#include "Core/Operations/DistanceCounting/ionimplantationoperation.h"
#include "Core/Operations/DistanceCounting/isotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/isotropicfilmetching.h"
#include "Core/Operations/DistanceCounting/materialset.h"
#include "Core/Operations/DistanceCounting/simpledoping.h"
#include "Core/Operations/DistanceCounting/simplephysicalvapordeposition.h"
#include "Core/Operations/DistanceCounting/simplesioxidation.h"
#include "Core/Operations/DistanceCounting/simplesioxidationoperation.h"
#include "Core/Operations/DopingOperation/randomwalkdoping.h"
#include "Core/Operations/Moore/mooreneighborhooddeposition.h"
#include "Core/Operations/Moore/mooreneighborhoodetching.h"
#include "Core/Operations/Photolithography/photolithography.h"
#include "Core/Operations/WetEtching/atomicstructuresimplesiwetetch.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Layout/layoutmask.h"
#include "Model/Materials/materialfactory.h"
#include "Util/vector3d.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QtDebug>

#include <cmath>
#include <exception>
#include <limits>
#include <new>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

const QString MaskSourceLayout = QStringLiteral("GDSII");
const QString MaskSourceImage = QStringLiteral("Image");

namespace {

const uint32_t SiliconMaterial = 1;

// Reads a step's parameters in the kinds the engines take and checks their
// values. The first failure wins: later reads and checks do nothing, so the
// detail names the parameter that stopped the step.
class StepParameters
{
public:
    StepParameters(const Ui::ProcessData &step, QString &detail) : m_step(&step), m_detail(detail) {}

    // Listing: every read records its parameter and kind and gives no value, so
    // the step stops before its engine; flag reads answer listingFlag, which
    // lets a second walk take the other branch of a choice.
    StepParameters(QList<StepParameterInfo> &listing, bool listingFlag, QString &detail)
        : m_detail(detail), m_code(StepMissingParameter), m_listing(&listing), m_listingFlag(listingFlag)
    {
    }

    bool ok() const { return m_code == StepSucceeded; }
    // A listing walk: reads record themselves and nothing runs.
    bool listing() const { return m_listing != nullptr; }
    int code() const { return m_code; }
    // A listing walks no real step: it sees one without parameters.
    const Ui::ProcessData &step() const
    {
        static const Ui::ProcessData none;
        return m_step ? *m_step : none;
    }

    unsigned uintValue(const char *name)
    {
        const QVariant value = read(name, StepValueKind::WholeNumber);
        if (!ok())
            return 0;
        bool converted = false;
        const unsigned result = value.toUInt(&converted);
        // toUInt wraps negative numbers and truncates large ones without complaint.
        bool isNumber = false;
        const double number = value.toDouble(&isNumber);
        if (!converted || (isNumber && !(number >= 0 && number <= double(std::numeric_limits<unsigned>::max()))))
            return unconvertible(name, QStringLiteral("a whole number of zero or more"));
        // toUInt rounds a stored fraction; the option dialogs take its whole part
        // (2.6 layers are 2), and a step must do the same whoever runs it.
        const int type = value.userType();
        if (type == QMetaType::Double || type == QMetaType::Float)
            return unsigned(number);
        return result;
    }

    int intValue(const char *name)
    {
        const QVariant value = read(name, StepValueKind::Integer);
        if (!ok())
            return 0;
        bool converted = false;
        const int result = value.toInt(&converted);
        if (!converted)
            return unconvertible(name, QStringLiteral("a whole number"));
        return result;
    }

    float floatValue(const char *name)
    {
        const QVariant value = read(name, StepValueKind::Number);
        if (!ok())
            return 0;
        bool converted = false;
        const float result = value.toFloat(&converted);
        if (!converted)
            return unconvertible(name, QStringLiteral("a number"));
        return result;
    }

    double doubleValue(const char *name)
    {
        const QVariant value = read(name, StepValueKind::Number);
        if (!ok())
            return 0;
        bool converted = false;
        const double result = value.toDouble(&converted);
        if (!converted)
            return unconvertible(name, QStringLiteral("a number"));
        return result;
    }

    bool boolValue(const char *name)
    {
        const QVariant value = read(name, StepValueKind::Flag);
        if (m_listing)
            return m_listingFlag;
        if (!ok())
            return false;
        if (!value.canConvert<bool>())
            return unconvertible(name, QStringLiteral("true or false"));
        return value.toBool();
    }

    QString textValue(const char *name)
    {
        const QVariant value = read(name, StepValueKind::Text);
        if (!ok())
            return QString();
        if (!value.canConvert<QString>()) {
            unconvertible(name, QStringLiteral("a text"));
            return QString();
        }
        return value.toString();
    }

    std::vector<bool> maskValue(const char *name)
    {
        const QVariant value = read(name, StepValueKind::Mask);
        if (!ok())
            return std::vector<bool>();
        if (value.userType() != qMetaTypeId<std::vector<bool>>()) {
            unconvertible(name, QStringLiteral("a bit mask"));
            return std::vector<bool>();
        }
        return value.value<std::vector<bool>>();
    }

    Util::Vector3D vectorValue(const char *name)
    {
        const QVariant value = read(name, StepValueKind::Position);
        if (!ok())
            return Util::Vector3D();
        if (value.userType() != qMetaTypeId<Util::Vector3D>()) {
            unconvertible(name, QStringLiteral("a position"));
            return Util::Vector3D();
        }
        return value.value<Util::Vector3D>();
    }

    // A length, depth or ratio: finite and not negative in the precision the engine takes it.
    float nonNegativeFloat(const char *name) { return requireNonNegative(name, floatValue(name)); }
    float nonNegativeFloatFromDouble(const char *name) { return requireNonNegative(name, float(doubleValue(name))); }
    double nonNegativeDouble(const char *name) { return requireNonNegative(name, doubleValue(name)); }

    double positiveDouble(const char *name)
    {
        const double value = doubleValue(name);
        if (ok() && !(std::isfinite(value) && value > 0))
            reject(QStringLiteral("\"%1\" must be a finite number above zero, not %2.")
                       .arg(QLatin1String(name))
                       .arg(value));
        return value;
    }

    // A material id that names a material of the catalogue.
    unsigned material(const char *name)
    {
        // A front end may name the material instead of giving its id.
        const QVariant value = read(name, StepValueKind::Material);
        if (ok() && value.userType() == QMetaType::QString) {
            bool isNumber = false;
            value.toString().toUInt(&isNumber);
            if (!isNumber) {
                const Model::Materials::Material named =
                    Model::Materials::MaterialFactory::instance()->getMaterialByName(value.toString());
                if (named.isEmpty())
                    reject(QStringLiteral("There is no material named \"%1\" (given by \"%2\") in the materials "
                                          "catalogue.")
                               .arg(value.toString(), QLatin1String(name)));
                return named.getId();
            }
        }
        const unsigned id = uintValue(name);
        if (ok() && Model::Materials::MaterialFactory::instance()->getMaterial(id).isEmpty())
            reject(QStringLiteral("Material %1 given by \"%2\" is not in the materials catalogue.")
                       .arg(id)
                       .arg(QLatin1String(name)));
        return id;
    }

    // A value the engine cannot run on: code 2.
    void reject(const QString &sentence)
    {
        if (!ok())
            return;
        m_code = StepInvalidParameter;
        m_detail = sentence;
    }

    // A mask's bits with the parameters that give its size.
    void describeMask(const char *bitsName, const char *widthName, const char *heightName)
    {
        if (!m_listing)
            return;
        for (StepParameterInfo &info : *m_listing)
            if (info.name == QLatin1String(bitsName)) {
                info.widthName = QLatin1String(widthName);
                info.heightName = QLatin1String(heightName);
            }
    }

private:
    void record(const char *name, StepValueKind kind)
    {
        for (const StepParameterInfo &info : *m_listing)
            if (info.name == QLatin1String(name))
                return;
        StepParameterInfo info;
        info.name = QLatin1String(name);
        info.kind = kind;
        m_listing->append(info);
    }

    QVariant read(const char *name, StepValueKind kind)
    {
        if (m_listing) {
            record(name, kind);
            return QVariant();
        }
        if (!ok())
            return QVariant();
        const QVariant value = m_step->getProcessParameter(QLatin1String(name));
        if (!value.isValid()) {
            m_code = StepMissingParameter;
            m_detail = QStringLiteral("The parameter \"%1\" is missing or has no value.").arg(QLatin1String(name));
        }
        return value;
    }

    int unconvertible(const char *name, const QString &expected)
    {
        m_code = StepInvalidParameter;
        m_detail = QStringLiteral("The value of \"%1\" is not %2.").arg(QLatin1String(name), expected);
        return 0;
    }

    template <class T>
    T requireNonNegative(const char *name, T value)
    {
        if (ok() && !(std::isfinite(value) && value >= 0))
            reject(QStringLiteral("\"%1\" must be a finite number of zero or more, not %2.")
                       .arg(QLatin1String(name))
                       .arg(double(value)));
        return value;
    }

    const Ui::ProcessData *m_step = nullptr;
    QString &m_detail;
    int m_code = StepSucceeded;
    QList<StepParameterInfo> *m_listing = nullptr;
    bool m_listingFlag = false;
};

// One step while it runs: its parameters, the run's state and what the step
// did that the lattice mark must know.
struct StepRun
{
    StepParameters &parameters;
    ProcessRunContext &context;
    // The step may have grown, removed or converted silicon, so the atomistic
    // lattice no longer matches the cells.
    bool touchedSilicon = false;

    TotalVolume &volume() const { return *context.volume; }
};

// A whole number of layers for the engines that step cell by cell.
unsigned wholeLayers(float value)
{
    if (!(value > 0))
        return 0;
    return value >= float(std::numeric_limits<unsigned>::max()) ? std::numeric_limits<unsigned>::max()
                                                                  : unsigned(value);
}

// A mask and its width and height in cells; the bit count must match or the
// engine would read past the bits or misplace them.
bool readMask(StepParameters &p, const char *bitsName, const char *heightName, const char *widthName,
              std::vector<bool> &bits, unsigned &width, unsigned &height)
{
    bits = p.maskValue(bitsName);
    height = p.uintValue(heightName);
    width = p.uintValue(widthName);
    p.describeMask(bitsName, widthName, heightName);
    if (p.ok() && uint64_t(bits.size()) != uint64_t(width) * height)
        p.reject(QStringLiteral("\"%1\" holds %2 bits, but a mask of %3 x %4 cells needs %5.")
                     .arg(QLatin1String(bitsName))
                     .arg(qulonglong(bits.size()))
                     .arg(width)
                     .arg(height)
                     .arg(qulonglong(uint64_t(width) * height)));
    return p.ok();
}

// A mask drawn from a layout: the bits the list carries when it has them (it
// runs where the layout file is not), else the layout file rasterised onto
// the current volume's x-y grid.
bool readMaskOrLayout(StepRun &run, const char *prefix, std::vector<bool> &bits, unsigned &width, unsigned &height)
{
    StepParameters &p = run.parameters;
    const QString base = QLatin1String(prefix);
    const std::string bitsName = prefix, heightName = (base + QStringLiteral(" Height")).toStdString(),
                      widthName = (base + QStringLiteral(" Width")).toStdString();
    const Ui::ProcessData &step = p.step();
    const QString sourceName = base + QStringLiteral(" Source");
    const bool layout = step.hasParameter(sourceName) && step.getProcessParameter(sourceName).toString() == MaskSourceLayout;
    const bool carriesBits = step.hasParameter(base) && step.getProcessParameter(base + QStringLiteral(" Width")).toUInt() != 0;
    if (!layout || carriesBits)
        return readMask(p, bitsName.c_str(), heightName.c_str(), widthName.c_str(), bits, width, height);

    const std::string fileName = (base + QStringLiteral(" File")).toStdString(),
                      structureName = (base + QStringLiteral(" Structure")).toStdString(),
                      layerName = (base + QStringLiteral(" Layer")).toStdString(),
                      datatypeName = (base + QStringLiteral(" Datatype")).toStdString(),
                      originXName = (base + QStringLiteral(" Origin X")).toStdString(),
                      originYName = (base + QStringLiteral(" Origin Y")).toStdString(),
                      scaleName = (base + QStringLiteral(" Scale")).toStdString();
    // File and layer are needed; the rest default to the top structure, any
    // datatype, the layout origin and 1 µm per unit, as the dialog starts.
    const auto given = [&](const std::string &name) { return step.hasParameter(QString::fromStdString(name)); };
    QString file = p.textValue(fileName.c_str());
    Model::Layout::MaskPlacement placement;
    placement.layer = int(p.uintValue(layerName.c_str()));
    if (given(structureName))
        placement.structure = p.textValue(structureName.c_str()).toStdString();
    if (given(datatypeName))
        placement.datatype = p.intValue(datatypeName.c_str());
    if (given(originXName))
        placement.originX = p.doubleValue(originXName.c_str());
    if (given(originYName))
        placement.originY = p.doubleValue(originYName.c_str());
    if (given(scaleName))
        placement.scale = p.positiveDouble(scaleName.c_str());
    if (!p.ok())
        return false;
    if (placement.layer > 65535 || placement.datatype < -1 || placement.datatype > 65535) {
        p.reject(QStringLiteral("\"%1\" and \"%2\" must name a layer and a datatype from 0 to 65535 (datatype -1: any).")
                     .arg(QString::fromStdString(layerName), QString::fromStdString(datatypeName)));
        return false;
    }
    if (!std::isfinite(placement.originX) || !std::isfinite(placement.originY)) {
        p.reject(QStringLiteral("The origin of \"%1\" must be finite.").arg(base));
        return false;
    }
    if (QFileInfo(file).isRelative() && !run.context.listFolder.isEmpty())
        file = QDir(run.context.listFolder).filePath(file);
    const TotalVolume &volume = run.volume();
    Model::Layout::MaskGrid grid;
    grid.sizeX = volume.getSizeX();
    grid.sizeY = volume.getSizeY();
    grid.cellSizeX = volume.getCellSizeX();
    grid.cellSizeY = volume.getCellSizeY();
    QString error;
    if (!Model::Layout::rasterizeLayoutFile(file, placement, grid, bits, error)) {
        p.reject(QStringLiteral("%1: %2").arg(base, error));
        return false;
    }
    width = grid.sizeX;
    height = grid.sizeY;
    return true;
}

int runPhotolithography(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned material = p.material("Material_Id");
    std::vector<bool> top, bottom;
    unsigned topWidth = 0, topHeight = 0, bottomWidth = 0, bottomHeight = 0;
    // A layout mask is drawn only once the values before it are good; a
    // listing walks on to name every parameter.
    if (p.ok() || p.listing())
        readMaskOrLayout(run, "Top Mask", top, topWidth, topHeight);
    if (p.ok() || p.listing())
        readMaskOrLayout(run, "Bottom Mask", bottom, bottomWidth, bottomHeight);
    if (!p.ok())
        return p.code();
    Photolithography(run.volume(), material, bottom, bottomWidth, bottomHeight, top, topWidth, topHeight).run();
    return StepSucceeded;
}

int runWetEtching(StepRun &run)
{
    StepParameters &p = run.parameters;
    const float depth = p.nonNegativeFloat("Depth");
    if (!p.ok())
        return p.code();
    TotalVolume &volume = run.volume();
    const bool stale = !run.context.latticeStale || run.context.latticeStale->value(volume.getId(), true);
    if (stale || !volume.getLattice()) {
        QString error;
        if (!volume.createLattice(&error, AtomisticWetEtchEngine::latticeReach(depth))) {
            // The cells are untouched; the next etch tries to build the lattice again.
            p.reject(QStringLiteral("The silicon lattice could not be built: %1").arg(error));
            return p.code();
        }
    }
    AtomicStructureSimpleSiWetEtch etcher(volume, depth);
    if (!etcher.run()) {
        p.reject(QStringLiteral("The cell volume has no silicon lattice to etch."));
        return p.code();
    }
    return StepSucceeded;
}

int runMooreDeposition(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned material = p.material("Material_Id");
    const float thickness = p.nonNegativeFloat("Thickness");
    if (!p.ok())
        return p.code();
    MooreNeighborhoodDeposition(run.volume(), material).run(wholeLayers(thickness));
    return StepSucceeded;
}

int runMooreEtching(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned material = p.material("Material_Id");
    const float depth = p.nonNegativeFloat("Depth");
    if (!p.ok())
        return p.code();
    MooreNeighborhoodEtching(run.volume(), material).run(wholeLayers(depth));
    return StepSucceeded;
}

// "CVD" and "Isotropic Deposition" run the same automaton.
int runIsotropicDeposition(StepRun &run, const char *thicknessName)
{
    StepParameters &p = run.parameters;
    const unsigned material = p.material("Material_Id");
    const float thickness = p.nonNegativeFloat(thicknessName);
    if (!p.ok())
        return p.code();
    IsotropicFilmDeposition(run.volume(), material, thickness).simulate();
    run.touchedSilicon = material == SiliconMaterial;
    return StepSucceeded;
}

int runCvd(StepRun &run) { return runIsotropicDeposition(run, "Thickness"); }

int runIsotropicFilmDeposition(StepRun &run) { return runIsotropicDeposition(run, "Film Thickness"); }

int runIsotropicEtching(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned material = p.material("Material_Id");
    const float depth = p.nonNegativeFloat("Depth");
    if (!p.ok())
        return p.code();
    IsotropicFilmEtching(run.volume(), material, depth).simulate();
    return StepSucceeded;
}

int runPlanarization(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned maximum = p.uintValue("Maximum Height");
    const unsigned minimum = p.uintValue("Minimum Height");
    // The options dialog never lets the minimum pass the maximum; that would empty the whole volume.
    if (p.ok() && minimum > maximum)
        p.reject(QStringLiteral("\"Minimum Height\" (%1) is above \"Maximum Height\" (%2).").arg(minimum).arg(maximum));
    if (!p.ok())
        return p.code();
    Planarization(run.volume(), maximum, minimum).run();
    return StepSucceeded;
}

int runElectroplating(StepRun &run)
{
    StepParameters &p = run.parameters;
    const float thickness = p.nonNegativeFloat("Film Thickness");
    const unsigned conductor = p.material("Conducting Material_Id");
    const unsigned deposited = p.material("Deposited Material_Id");
    if (!p.ok())
        return p.code();
    Electrodeposition(run.volume(), deposited, conductor, thickness).simulate();
    return StepSucceeded;
}

int runDoping(StepRun &run)
{
    StepParameters &p = run.parameters;
    const float depth = p.nonNegativeFloat("Doping Depth");
    const unsigned material = p.material("Doped Material_Id");
    if (!p.ok())
        return p.code();
    SimpleDoping(run.volume(), material, depth, MaterialSet::fromProcess(DopingOperation::MaterialProcessId))
        .simulate();
    return StepSucceeded;
}

int runSpinCoating(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned height = p.uintValue("Maximum Height");
    const unsigned material = p.material("Material_Id");
    if (!p.ok())
        return p.code();
    SpinCoating(run.volume(), material, height).run();
    run.touchedSilicon = material == SiliconMaterial;
    return StepSucceeded;
}

int runSaveImage(StepRun &run)
{
    StepParameters &p = run.parameters;
    const QString fileName = p.textValue("Filename");
    if (!p.ok())
        return p.code();
    // Without a host there is no view to draw or save.
    if (run.context.host)
        run.context.host->updateGeometry(fileName);
    return StepSucceeded;
}

int runCreateSubstrate(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned material = p.material("Material_Id");
    const Util::Vector3D corner = p.vectorValue("Lower Left Front Corner");
    const unsigned sizeX = p.uintValue("Volume Size X");
    const unsigned sizeY = p.uintValue("Volume Size Y");
    const unsigned sizeZ = p.uintValue("Volume Size Z");
    const bool spherical = p.boolValue("SphericalSubstrate");
    double cx = 0, cy = 0, cz = 0;
    corner.get(cx, cy, cz);
    if (p.ok() && !(std::isfinite(cx) && std::isfinite(cy) && std::isfinite(cz)))
        p.reject(QStringLiteral("\"Lower Left Front Corner\" must be a finite position."));

    // The builder clips the substrate to the volume, so no substrate value can reach outside it.
    CreateSubstrateOperation builder(nullptr);
    if (spherical) {
        const unsigned centerX = p.uintValue("Substrate Center X");
        const unsigned centerY = p.uintValue("Substrate Center Y");
        const unsigned centerZ = p.uintValue("Substrate Center Z");
        const unsigned radius = p.uintValue("Substrate Radius");
        builder.setSphereParameters(material, sizeX, sizeY, sizeZ, corner, centerX, centerY, centerZ, radius);
    } else {
        const unsigned substrateX = p.uintValue("Substrate Size X");
        const unsigned substrateY = p.uintValue("Substrate Size Y");
        const unsigned substrateZ = p.uintValue("Substrate Size Z");
        const unsigned deltaX = p.uintValue("Substrate Delta X");
        const unsigned deltaY = p.uintValue("Substrate Delta Y");
        const unsigned deltaZ = p.uintValue("Substrate Delta Z");
        builder.setBoxParameters(material, sizeX, sizeY, sizeZ, corner, deltaX, deltaY, deltaZ, substrateX,
                                 substrateY, substrateZ);
    }
    if (!p.ok())
        return p.code();

    // The builder refuses sizes that cannot be addressed or would not fit in memory.
    QString error;
    const boost::shared_ptr<TotalVolume> volume = builder.buildVolume(&error);
    if (!volume) {
        p.reject(error);
        return p.code();
    }
    run.context.volume = volume;
    if (run.context.host)
        run.context.host->setCurrentVolume(volume);
    return StepSucceeded;
}

int runPvd(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned material = p.material("Material_Id");
    const float thickness = p.nonNegativeFloatFromDouble("Thickness");
    const float ratio = p.nonNegativeFloatFromDouble("Horizontal to Vertical Ratio");
    const int depositOn = p.intValue("DepositOn");
    if (p.ok() && (depositOn < SimplePhysicalVaporDeposition::Top || depositOn > SimplePhysicalVaporDeposition::BothSides))
        p.reject(QStringLiteral("\"DepositOn\" must be 1 (top), 2 (bottom) or 3 (both sides), not %1.").arg(depositOn));
    if (!p.ok())
        return p.code();
    SimplePhysicalVaporDeposition(run.volume(), material, thickness, ratio, depositOn).simulate();
    run.touchedSilicon = material == SiliconMaterial;
    return StepSucceeded;
}

int runReactiveIonEtching(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned material = p.material("Material_Id");
    const unsigned layers = p.uintValue("Etch Depth");
    const int directions = p.intValue("EtchDirectionValue");
    const int both = SimpleReactiveIonEtching::FromTop | SimpleReactiveIonEtching::FromBelow;
    if (p.ok() && (directions < 1 || directions > both))
        p.reject(QStringLiteral("\"EtchDirectionValue\" must be 1 (top), 2 (bottom) or 3 (both), not %1.")
                     .arg(directions));
    if (!p.ok())
        return p.code();
    SimpleReactiveIonEtching(run.volume(), material, layers, unsigned(directions)).run();
    run.touchedSilicon = material == SiliconMaterial;
    return StepSucceeded;
}

int runIonImplantation(StepRun &run)
{
    StepParameters &p = run.parameters;
    const float annealing = p.nonNegativeFloat("Annealing Distance");
    const float depth = p.nonNegativeFloat("Implantation Depth");
    const float spread = p.nonNegativeFloat("Vertical Spread");
    const unsigned material = p.material("Doped Material_Id");
    if (!p.ok())
        return p.code();
    IonImplantation(run.volume(), material, depth, spread, annealing,
                    MaterialSet::fromProcess(IonImplantationOperation::ImplantableProcessId))
        .simulate();
    run.touchedSilicon = true;
    return StepSucceeded;
}

int runOxidation(StepRun &run)
{
    StepParameters &p = run.parameters;
    const bool byTime = p.boolValue("OxidationTimeSet");
    const double conversion = p.positiveDouble("Micron Conversion");
    double microns = 0, hours = 0, temperature = 0, pressure = 0;
    if (byTime) {
        pressure = p.positiveDouble("Oxidation Pressure");
        temperature = p.positiveDouble("Oxidation Temperature");
        hours = p.nonNegativeDouble("Oxidation Time");
        if (p.ok()) {
            microns = SimpleSiOxidation::dealGroveThickness(hours, temperature, pressure);
            if (!(std::isfinite(microns) && microns >= 0))
                p.reject(QStringLiteral("The oxidation time, temperature and pressure give no usable oxide "
                                        "thickness."));
        }
    } else {
        microns = p.nonNegativeDouble("Oxidation Thickness");
    }
    if (!p.ok())
        return p.code();
    SimpleSiOxidation oxidation(run.volume(), MaterialSet::fromProcess(SimpleSiOxidationOperation::OxidizableProcessId),
                                conversion);
    if (byTime)
        oxidation.oxidizeFor(hours, temperature, pressure);
    else
        oxidation.oxidize(microns);
    run.touchedSilicon = true;
    return StepSucceeded;
}

int runAnisotropicDeposition(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned material = p.material("Material_Id");
    const float thickness = p.nonNegativeFloat("Film Thickness");
    const float ratio = p.nonNegativeFloat("Horizontal to Vertical Ratio");
    if (!p.ok())
        return p.code();
    AnisotropicFilmDeposition(run.volume(), material, thickness, ratio).simulate();
    return StepSucceeded;
}

int runAnisotropicEtching(StepRun &run)
{
    StepParameters &p = run.parameters;
    const unsigned material = p.material("Material_Id");
    const float depth = p.nonNegativeFloat("Etch Depth");
    const float ratio = p.nonNegativeFloat("Horizontal to Vertical Ratio");
    if (!p.ok())
        return p.code();
    AnisotropicFilmEtching(run.volume(), material, depth, ratio).simulate();
    return StepSucceeded;
}

int runRandomWalkDoping(StepRun &run)
{
    StepParameters &p = run.parameters;
    const double cellSize = p.floatValue("Cell Size");
    const double timeStep = p.floatValue("Time Step Duration");
    const double diffusion = p.floatValue("Diffusion Coefficient");
    const double time = p.nonNegativeFloat("Doping Time");
    const double threshold = p.floatValue("Doping Threshold");
    const double surface = p.floatValue("Surface Concentration");
    const unsigned material = p.material("Material_Id");
    if (p.ok()) {
        // The walk's own check: positive step and cell size, a stay probability within [0, 1] ...
        const QString error = RandomWalkDoping::checkParameters(diffusion, timeStep, cellSize, surface, threshold);
        if (!error.isEmpty())
            p.reject(error);
    }
    if (!p.ok())
        return p.code();
    RandomWalkDoping doping(run.volume(), material, diffusion, timeStep, cellSize, surface, threshold,
                            RandomWalkDoping::timeSeed());
    if (!doping.dope(time)) {
        p.reject(doping.error());
        return p.code();
    }
    return StepSucceeded;
}

enum class LatticeMark { Unchanged, Set, Clear };

struct StepKind
{
    int (*run)(StepRun &);
    LatticeMark mark;
    // "Save Image", "Create Substrate" and "Si Oxidation" report every
    // failure as a missing parameter (code 1); the reason stays in the detail.
    bool everyFailureIsMissing;
    bool needsVolume;
};

const StepKind stepKinds[Ui::ProcessData::TypeCount] = {
    /* 0 Photolithography */ {runPhotolithography, LatticeMark::Set, false, true},
    /* 1 Si wet etching */ {runWetEtching, LatticeMark::Clear, false, true},
    /* 2 Moore deposition */ {runMooreDeposition, LatticeMark::Set, false, true},
    /* 3 Moore etching */ {runMooreEtching, LatticeMark::Set, false, true},
    /* 4 CVD */ {runCvd, LatticeMark::Unchanged, false, true},
    /* 5 Isotropic etching */ {runIsotropicEtching, LatticeMark::Set, false, true},
    /* 6 Planarization */ {runPlanarization, LatticeMark::Set, false, true},
    /* 7 Electroplating */ {runElectroplating, LatticeMark::Unchanged, false, true},
    /* 8 Doping */ {runDoping, LatticeMark::Set, false, true},
    /* 9 Spin Coating */ {runSpinCoating, LatticeMark::Unchanged, false, true},
    /* 10 Save Image */ {runSaveImage, LatticeMark::Unchanged, true, false},
    /* 11 Create Substrate */ {runCreateSubstrate, LatticeMark::Unchanged, true, false},
    /* 12 PVD */ {runPvd, LatticeMark::Unchanged, false, true},
    /* 13 Simple RIE */ {runReactiveIonEtching, LatticeMark::Unchanged, false, true},
    /* 14 Ion Implantation */ {runIonImplantation, LatticeMark::Unchanged, false, true},
    /* 15 Si Oxidation */ {runOxidation, LatticeMark::Unchanged, true, true},
    /* 16 Isotropic Deposition */ {runIsotropicFilmDeposition, LatticeMark::Set, false, true},
    /* 17 Anisotropic Deposition */ {runAnisotropicDeposition, LatticeMark::Set, false, true},
    /* 18 Anisotropic Etching */ {runAnisotropicEtching, LatticeMark::Set, false, true},
    /* 19 Doping (Random Walk CA) */ {runRandomWalkDoping, LatticeMark::Set, false, true},
};

void markLattice(ProcessRunContext &context, bool stale)
{
    if (context.latticeStale && context.volume)
        context.latticeStale->insert(context.volume->getId(), stale);
}

} // namespace

QString processStepResultText(int code)
{
    switch (code) {
    case StepSucceeded:
        return QStringLiteral("No error, process was run successfully.");
    case StepMissingParameter:
        return QStringLiteral("A required parameter was not found. Check input list.");
    case StepInvalidParameter:
        return QStringLiteral("Value for a required parameter is invalid. Check input list.");
    case StepUnknownProcess:
        return QStringLiteral("Unknown process. Remove process from the list.");
    case StepNotImplemented:
        return QStringLiteral("Process is not implemented. Remove process from the list.");
    case StepStopped:
        return QStringLiteral("Stopped on request before the process finished; its cells were put back.");
    case StepNoVolume:
        return QStringLiteral("No cell volume was selected and a cell volume was not created. The cell volume "
                              "must be created before any other process.");
    default:
        return QString();
    }
}

QList<StepParameterInfo> processStepParameters(int type)
{
    QList<StepParameterInfo> listing;
    if (type < 0 || type >= Ui::ProcessData::TypeCount)
        return listing;
    // The step's own reads are the list of its parameters; two walks take both sides of its choices.
    ProcessRunContext context;
    for (const bool flag : {false, true}) {
        StepParameters parameters(listing, flag, context.detail);
        StepRun run{parameters, context};
        stepKinds[type].run(run);
    }
    return listing;
}

int processStepType(const QString &name, QString *detail)
{
    for (int type = 0; type < Ui::ProcessData::TypeCount; ++type)
        if (Ui::ProcessData::displayName(type) == name)
            return type;
    if (detail)
        *detail = QStringLiteral("There is no process named \"%1\".").arg(name);
    return -1;
}

QString unknownParameterText(int type, const QString &name)
{
    return QStringLiteral("The process \"%1\" has no parameter \"%2\".").arg(Ui::ProcessData::displayName(type), name);
}

namespace {

int runKnownStep(const Ui::ProcessData &step, ProcessRunContext &context)
{
    const int type = step.getType();
    if (type < 0 || type >= Ui::ProcessData::TypeCount) {
        context.detail = QStringLiteral("There is no process of type %1.").arg(type);
        return StepUnknownProcess;
    }
    const StepKind &kind = stepKinds[type];
    if (kind.needsVolume && !context.volume) {
        context.detail = processStepResultText(StepNoVolume);
        return StepMissingParameter;
    }

    StepParameters parameters(step, context.detail);
    StepRun run{parameters, context};
    const int failureCode = kind.everyFailureIsMissing ? int(StepMissingParameter) : int(StepInvalidParameter);
    int code = StepSucceeded;
    try {
        code = kind.run(run);
    } catch (const std::bad_alloc &) {
        context.detail = QStringLiteral("There was not enough memory to finish the step; the cells may be incomplete.");
        markLattice(context, true);
        return failureCode;
    } catch (const std::exception &error) {
        context.detail = QStringLiteral("The step failed (%1); the cells may be incomplete.")
                             .arg(QString::fromLocal8Bit(error.what()));
        markLattice(context, true);
        return failureCode;
    }
    if (code != StepSucceeded)
        return kind.everyFailureIsMissing ? int(StepMissingParameter) : code;

    // A step that changed silicon outdates the lattice even where its row leaves the mark alone.
    if (kind.mark == LatticeMark::Set || run.touchedSilicon)
        markLattice(context, true);
    else if (kind.mark == LatticeMark::Clear)
        markLattice(context, false);
    return StepSucceeded;
}

int runStoppableStep(const Ui::ProcessData &step, ProcessRunContext &context)
{
    if (context.stop->requested()) {
        context.detail = processStepResultText(StepStopped);
        return StepStopped;
    }
    const MaterialsBackup before(context.volume);
    // "Create Substrate" puts a new volume in the context; a stopped one is dropped.
    const boost::shared_ptr<TotalVolume> volumeBefore = context.volume;
    int code;
    {
        const Util::StopScope scope(context.stop);
        code = runKnownStep(step, context);
    }
    if (!context.stop->requested())
        return code;
    before.restore();
    context.volume = volumeBefore;
    markLattice(context, true);
    context.detail = processStepResultText(StepStopped);
    return StepStopped;
}

} // namespace

int runProcessStep(const Ui::ProcessData &step, ProcessRunContext &context)
{
    return context.stop ? runStoppableStep(step, context) : runKnownStep(step, context);
}

int runProcessSteps(const Ui::ProcessList &list, ProcessRunContext &context, const StepReport &report,
                    const std::function<bool()> &stopRequested)
{
    int completed = 0;
    QElapsedTimer timer;
    for (int index = 0; index < list.size(); ++index) {
        if ((stopRequested && stopRequested()) || (context.stop && context.stop->requested()))
            break;
        const Ui::ProcessData &step = list.at(index);
        context.detail.clear();
        if (!context.volume && step.getType() != Ui::ProcessData::CreateSubstrate) {
            context.detail = processStepResultText(StepNoVolume);
            if (report)
                report(index, StepNoVolume, 0);
            break;
        }
        timer.start();
        const int code = runProcessStep(step, context);
        const qint64 elapsed = timer.elapsed();
        if (report)
            report(index, code, elapsed);
        if (code != StepSucceeded)
            break;
        ++completed;
    }
    return completed;
}

} // namespace Operations
} // namespace Core
