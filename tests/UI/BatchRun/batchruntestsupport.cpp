#include "batchruntestsupport.h"

#include "Model/Materials/materialfactory.h"
#include "Core/Steps/stepbuilder.h"
#include "UI/BatchRun/processstepeditor.h"
#include "Util/vector3d.h"

namespace BatchRunTest {

namespace {
QMutex logMutex;
QStringList logLines;

void record(QtMsgType, const QMessageLogContext &, const QString &message)
{
    QMutexLocker lock(&logMutex);
    logLines << message;
}
} // namespace

LogCapture::LogCapture()
{
    QMutexLocker lock(&logMutex);
    logLines.clear();
    m_previous = qInstallMessageHandler(record);
}

LogCapture::~LogCapture() { qInstallMessageHandler(m_previous); }

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&logMutex);
    return logLines;
}

bool LogCapture::contains(const QString &text) const
{
    for (const QString &line : lines())
        if (line.contains(text))
            return true;
    return false;
}

unsigned materialId(int index)
{
    return Model::Materials::MaterialFactory::instance()->getMaterials().at(index).getId();
}

namespace {
void setMaterial(Core::Steps::ProcessData &step, unsigned id)
{
    const Model::Materials::Material m = Model::Materials::MaterialFactory::instance()->getMaterial(id);
    step.setMaterial(QStringLiteral("Material"), id, m.getName(), Core::Steps::opaqueColor(m));
}
} // namespace

Core::Steps::ProcessData substrateStep(unsigned sizeX, unsigned sizeY, unsigned sizeZ, unsigned substrateZ)
{
    Core::Steps::ProcessData step(Core::Steps::ProcessData::CreateSubstrate);
    setMaterial(step, materialId(0));
    step.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(0, 0, 0)), true);
    step.setParameter(QStringLiteral("Volume Size X"), sizeX, true);
    step.setParameter(QStringLiteral("Volume Size Y"), sizeY, true);
    step.setParameter(QStringLiteral("Volume Size Z"), sizeZ, true);
    step.setParameter(QStringLiteral("SphericalSubstrate"), false, false);
    step.setParameter(QStringLiteral("Substrate Size X"), sizeX, true);
    step.setParameter(QStringLiteral("Substrate Size Y"), sizeY, true);
    step.setParameter(QStringLiteral("Substrate Size Z"), substrateZ, true);
    for (const char *axis : {"X", "Y", "Z"}) {
        step.setParameter(QStringLiteral("Substrate Delta ") + QLatin1String(axis), 0u, true);
        step.setParameter(QStringLiteral("Substrate Center ") + QLatin1String(axis), 0u, false);
    }
    step.setParameter(QStringLiteral("Substrate Radius"), 1u, false);
    return step;
}

Core::Steps::ProcessData cvdStep(double thickness)
{
    Core::Steps::ProcessData step(Core::Steps::ProcessData::Cvd);
    step.setParameter(QStringLiteral("Thickness"), thickness, true);
    setMaterial(step, materialId(1));
    return step;
}

Core::Steps::ProcessData saveImageStep(const QString &fileName)
{
    Core::Steps::ProcessData step(Core::Steps::ProcessData::SaveImage);
    step.setParameter(QStringLiteral("Filename"), fileName, true);
    return step;
}

} // namespace BatchRunTest
