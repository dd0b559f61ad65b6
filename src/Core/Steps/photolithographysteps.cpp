// Photolithography: a resist developed through a top and a bottom mask, each
// an image's bits or a GDSII layout drawn on the volume's grid.

#include "declare.h"
#include "masksettings.h"
#include "steprun.h"
#include "stepregistry.h"

#include "Core/Operations/Photolithography/photolithography.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Layout/layoutmask.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace Core {
namespace Steps {

using namespace Core::Operations;
using namespace Declare;

namespace {

const unsigned PhotolithographyProcess = 6;

// Reads the mask's own values one by one with the executor's sentences; the first failure ends the step.
class MaskReader
{
public:
    explicit MaskReader(StepRun &run) : m_run(run) {}

    int code() const { return m_code; }
    bool ok() const { return m_code == StepSucceeded; }

    QVariant read(const Param &declared)
    {
        if (!ok())
            return QVariant();
        QVariant value;
        m_code = readParameter(declared, m_run.step, value, m_run.context.detail);
        return value;
    }
    int fail(const QString &sentence)
    {
        if (ok())
            m_code = m_run.reject(sentence);
        return m_code;
    }

private:
    StepRun &m_run;
    int m_code = StepSucceeded;
};

// A mask and its width and height in cells; the bit count must match or the
// engine would read past the bits or misplace them.
bool readMask(MaskReader &reader, const MaskNames &names, std::vector<bool> &bits, unsigned &width, unsigned &height)
{
    bits = reader.read(mask(names.bits)).value<std::vector<bool>>();
    height = reader.read(whole(names.height)).toUInt();
    width = reader.read(whole(names.width)).toUInt();
    if (reader.ok() && uint64_t(bits.size()) != uint64_t(width) * height)
        reader.fail(QStringLiteral("\"%1\" holds %2 bits, but a mask of %3 x %4 cells needs %5.")
                        .arg(names.bits)
                        .arg(qulonglong(bits.size()))
                        .arg(width)
                        .arg(height)
                        .arg(qulonglong(uint64_t(width) * height)));
    return reader.ok();
}

// A mask drawn from a layout: the bits the step carries when it has them (it
// runs where the layout file is not), else the layout file rasterised onto
// the current volume's x-y grid.
bool readMaskOrLayout(StepRun &run, MaskReader &reader, const QString &prefix, std::vector<bool> &bits, unsigned &width,
                      unsigned &height)
{
    const MaskNames names(prefix);
    const ProcessData &step = run.step;
    const bool layout = step.getParameters().value(names.source).toString() == MaskSourceLayout;
    const bool carriesBits = step.hasParameter(names.bits) && step.getParameters().value(names.width).toUInt() != 0;
    if (!layout || carriesBits)
        return readMask(reader, names, bits, width, height);

    // File and layer are needed; the rest default to the top structure, any
    // datatype, the layout origin and 1 µm per unit, as the dialog starts.
    QString file = reader.read(text(names.file)).toString();
    Model::Layout::MaskPlacement placement;
    placement.layer = int(reader.read(whole(names.layer)).toUInt());
    placement.structure = reader.read(text(names.structure).optional()).toString().toStdString();
    const QVariant datatype = reader.read(Param(names.datatype, ValueKind::Integer, QMetaType::Int)
                                              .range(-1, 65535).optional());
    if (datatype.isValid())
        placement.datatype = datatype.toInt();
    const QVariant originX = reader.read(number(names.originX).range(-1e300, 1e300).optional());
    const QVariant originY = reader.read(number(names.originY).range(-1e300, 1e300).optional());
    const QVariant scale = reader.read(number(names.scale).above(0).optional());
    if (originX.isValid())
        placement.originX = originX.toDouble();
    if (originY.isValid())
        placement.originY = originY.toDouble();
    if (scale.isValid())
        placement.scale = scale.toDouble();
    if (!reader.ok())
        return false;
    if (placement.layer > 65535)
        return reader.fail(QStringLiteral("\"%1\" and \"%2\" must name a layer and a datatype from 0 to 65535 "
                                          "(datatype -1: any).")
                               .arg(names.layer, names.datatype)) == StepSucceeded;
    if (QFileInfo(file).isRelative() && !run.context.listFolder.isEmpty())
        file = QDir(run.context.listFolder).filePath(file);
    const Model::Automaton::TotalVolume &volume = run.volume();
    Model::Layout::MaskGrid grid;
    grid.sizeX = volume.getSizeX();
    grid.sizeY = volume.getSizeY();
    grid.cellSizeX = volume.getCellSizeX();
    grid.cellSizeY = volume.getCellSizeY();
    QString error;
    if (!Model::Layout::rasterizeLayoutFile(file, placement, grid, bits, error))
        return reader.fail(QStringLiteral("%1: %2").arg(prefix, error)) == StepSucceeded;
    width = grid.sizeX;
    height = grid.sizeY;
    return true;
}

int runPhotolithography(StepRun &run)
{
    MaskReader reader(run);
    std::vector<bool> top, bottom;
    unsigned topWidth = 0, topHeight = 0, bottomWidth = 0, bottomHeight = 0;
    // A layout is drawn only once the values before it are good.
    if (!readMaskOrLayout(run, reader, MaskNames::Top, top, topWidth, topHeight) ||
        !readMaskOrLayout(run, reader, MaskNames::Bottom, bottom, bottomWidth, bottomHeight))
        return reader.code();
    Photolithography(run.volume(), run.material(MaterialBase), bottom, bottomWidth, bottomHeight, top, topWidth,
                     topHeight)
        .run();
    return StepSucceeded;
}

// The parameters a mask is declared by; its layout settings are read by the
// step. A new step starts with no mask (no bits, 0 by 0 cells): a mask left
// out means none, as the dialog starts with none loaded.
QList<StepParameter> maskParameters(const QString &prefix, const QString &label)
{
    const MaskNames names(prefix);
    return {mask(names.bits).label(label).hidden().readByRun().size(names.width, names.height)
                .byDefault(QVariant::fromValue(std::vector<bool>())),
            text(names.file).label(label + QStringLiteral(" file")).readByRun(),
            whole(names.height).label(label + QStringLiteral(" height")).unit(QStringLiteral("cells")).readByRun()
                .byDefault(0u),
            whole(names.width).label(label + QStringLiteral(" width")).unit(QStringLiteral("cells")).readByRun()
                .byDefault(0u)};
}

} // namespace

void addPhotolithographySteps(QList<StepDefinition> &steps)
{
    StepDefinition lithography;
    lithography.type = ProcessData::Photolithography;
    lithography.name = QStringLiteral("Photolithography");
    lithography.comboOrder = 11;
    lithography.operationNumber = 20;
    lithography.processId = PhotolithographyProcess;
    lithography.summary = QStringLiteral("Develops a resist film through a top and a bottom mask (images, black = "
                                         "opaque, or GDSII layers).");
    lithography.parameters = {material().label(QStringLiteral("Select Film")).field(QStringLiteral("Film"))};
    lithography.parameters += maskParameters(MaskNames::Top, QLatin1String(MaskNames::Top));
    lithography.parameters += maskParameters(MaskNames::Bottom, QLatin1String(MaskNames::Bottom));
    lithography.lattice = LatticeEffect::StaleIfSilicon;
    lithography.latticeMaterial = QLatin1String(MaterialBase);
    lithography.form = DialogForm{QStringLiteral("PhotolithographyDialog"), QStringLiteral("Photolithography Options")};
    lithography.run = runPhotolithography;
    steps << lithography;
}

} // namespace Steps
} // namespace Core
