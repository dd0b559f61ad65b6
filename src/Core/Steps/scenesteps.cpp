// Steps that make or show the scene: a new volume with its substrate, and a
// picture of the view.

#include "declare.h"
#include "steprun.h"
#include "stepregistry.h"

#include "Core/Operations/CreateSubstrate/substrate.h"

namespace Core {
namespace Steps {

using namespace Core::Operations;
using namespace Declare;

namespace {

const QString BoxOrSphere = QStringLiteral("SphericalSubstrate");

Param cells(const char *name, const char *label, const char *field, double minimum, double maximum, unsigned value,
            const QString &hint)
{
    return whole(QLatin1String(name)).label(QLatin1String(label)).field(QLatin1String(field)).range(minimum, maximum)
        .byDefault(value).hint(hint);
}

int runCreateSubstrate(StepRun &run)
{
    SubstrateShape shape;
    shape.material = run.material(MaterialBase);
    shape.position = run.position("Lower Left Front Corner");
    shape.sizeX = run.whole("Volume Size X");
    shape.sizeY = run.whole("Volume Size Y");
    shape.sizeZ = run.whole("Volume Size Z");
    shape.unitLength = run.valueOrDefault("Unit Length").toDouble();
    shape.spherical = run.flag("SphericalSubstrate");
    if (shape.spherical) {
        shape.centerX = run.whole("Substrate Center X");
        shape.centerY = run.whole("Substrate Center Y");
        shape.centerZ = run.whole("Substrate Center Z");
        shape.radius = run.whole("Substrate Radius");
    } else {
        shape.boxX = run.whole("Substrate Size X");
        shape.boxY = run.whole("Substrate Size Y");
        shape.boxZ = run.whole("Substrate Size Z");
        shape.deltaX = run.whole("Substrate Delta X");
        shape.deltaY = run.whole("Substrate Delta Y");
        shape.deltaZ = run.whole("Substrate Delta Z");
    }
    QString error;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = buildSubstrate(shape, &error);
    if (!volume)
        return run.reject(error);
    run.context.volume = volume;
    if (run.context.host)
        run.context.host->setCurrentVolume(volume);
    return StepSucceeded;
}

int runSaveImage(StepRun &run)
{
    // Without a host there is no view to draw or save.
    if (run.context.host)
        run.context.host->updateGeometry(run.text("Filename"));
    return StepSucceeded;
}

} // namespace

void addSceneSteps(QList<StepDefinition> &steps)
{
    const QString totalTip = QStringLiteral("Define the size of the total volume.");
    const QString sizeTip = QStringLiteral("Size of the substrate in cells.");
    const QString locationTip = QStringLiteral("Location of the substrate relative to the total volume in cells.");
    const QString centerTip =
        QStringLiteral("Define the center position of the substrate relative to the total volume in cells.");

    StepDefinition substrate;
    substrate.type = ProcessData::CreateSubstrate;
    substrate.name = QStringLiteral("Create Substrate");
    substrate.comboOrder = 2;
    substrate.operationNumber = 2;
    substrate.summary = QStringLiteral("A new cell volume holding a box or a sphere of one material; a list starts "
                                       "with it.");
    substrate.parameters = {
        material().label(QStringLiteral("Substrate Material")).field(QStringLiteral("Film"))
            .hint(QStringLiteral("Material the substrate will be composed of.")),
        position(QStringLiteral("Lower Left Front Corner")).label(QStringLiteral("Volume Lower Left Front Corner"))
            .field(QStringLiteral("Volume"))
            .unit(QStringLiteral("units")).range(-1e9, 1e9).byDefault(QVariant::fromValue(Util::Vector3D()))
            .hint(QStringLiteral("Define the position of the volume in the viewing space.")),
        cells("Volume Size X", "Width", "TotalWidth", 1, 1000000000, 100, totalTip),
        cells("Volume Size Y", "Length", "TotalLength", 1, 1000000000, 100, totalTip),
        cells("Volume Size Z", "Height", "TotalHeight", 1, 1000000000, 80, totalTip),
        number(QStringLiteral("Unit Length")).label(QStringLiteral("Unit Length")).field(QStringLiteral("UnitLength"))
            .unit(QString::fromUtf8("\u00b5m")).above(0).upTo(1e6).decimals(4).byDefault(1.0).optional()
            .hint(QStringLiteral("The physical length of one unit of the volume (a cell is one unit wide), in "
                                 "micrometres: sections, measurements, VTK and STL files and the netlist give "
                                 "lengths through it.")),
        flag(BoxOrSphere).hidden().byDefault(false).label(QStringLiteral("Spherical Substrate"))
            .field(QStringLiteral("SubsSphere")).hint(QStringLiteral("Create a spherical substrate.")),
        cells("Substrate Size X", "Width", "SubsWidth", 1, 999999999, 100, sizeTip).when(BoxOrSphere, false),
        cells("Substrate Size Y", "Length", "SubsLength", 1, 999999999, 100, sizeTip).when(BoxOrSphere, false),
        cells("Substrate Size Z", "Height", "SubsHeight", 1, 1000000006, 30, sizeTip).when(BoxOrSphere, false),
        cells("Substrate Delta X", "X", "SubsX", 0, 999999999, 0, locationTip).when(BoxOrSphere, false),
        cells("Substrate Delta Y", "Y", "SubsY", 0, 999999999, 0, locationTip).when(BoxOrSphere, false),
        cells("Substrate Delta Z", "Z", "SubsZ", 0, 999999999, 0, locationTip).when(BoxOrSphere, false),
        cells("Substrate Center X", "Center X", "SubsCenterX", 0, 999999999, 0, centerTip).when(BoxOrSphere, true),
        cells("Substrate Center Y", "Center Y", "SubsCenterY", 0, 999999999, 0, centerTip).when(BoxOrSphere, true),
        cells("Substrate Center Z", "Center Z", "SubsCenterZ", 0, 999999999, 0, centerTip).when(BoxOrSphere, true),
        cells("Substrate Radius", "Radius", "SubsRadius", 1, 999999999, 50,
              QStringLiteral("Define the radius of the substrate."))
            .when(BoxOrSphere, true)};
    for (StepParameter &param : substrate.parameters)
        if (param.kind == ValueKind::WholeNumber)
            param.unit = QStringLiteral("cells");
    substrate.needsVolume = false;
    substrate.createsVolume = true;
    substrate.everyFailureIsMissing = true;
    substrate.form = DialogForm{QStringLiteral("CreateSubstrateDialogForm"), QStringLiteral("Create Substrate")};
    substrate.run = runCreateSubstrate;
    steps << substrate;

    StepDefinition image;
    image.type = ProcessData::SaveImage;
    image.name = QStringLiteral("Save Image");
    image.comboOrder = 17;
    image.summary = QStringLiteral("Draws the current volume and saves the view as a picture (nothing without a view).");
    image.parameters = {text(QStringLiteral("Filename")).label(QStringLiteral("File name"))};
    image.needsVolume = false;
    image.everyFailureIsMissing = true;
    image.run = runSaveImage;
    steps << image;
}

} // namespace Steps
} // namespace Core
