#pragma once

#include "Core/Operations/operation.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/ModelExtraction/preprocessing.h"

#include <boost/shared_ptr.hpp>

#include <QString>

namespace Model {
namespace Automaton {
class TotalVolume;
}
namespace ModelExtraction {
class ExtractedModel;
class IStructure;
} // namespace ModelExtraction
} // namespace Model

namespace Core {
namespace Operations {

class IModelExtractionUser;
class Workspace;

// "Extract Model" (factory 1000): splits a cell volume into boxes, finds its
// cantilevers and writes them as a netlist, one step at a time and in order.
// Leaves no undo entry; the models it adds stay in the scene.
class RunModelExtraction : public Operation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 1000;
    enum Step { Preprocessing = 1, FeatureDetection = 2, ModelExtraction = 3 };

    explicit RunModelExtraction(Workspace *workspace);
    ~RunModelExtraction() override;

    void setUser(const boost::shared_ptr<IModelExtractionUser> &user) { m_user = user; }

    // The next step that may run: 1, then 2, then 3 (which may run again).
    int nextStep() const { return m_nextStep; }
    // False when run out of order or without a volume.
    bool runStepOne();
    bool runStepTwo();
    // Asks for a file and writes the netlist; "No model data" when there is none.
    bool runStepThree();
    // Writes the netlist as text; false when the file cannot be opened.
    bool saveNetlist(const QString &fileName) const;

    // The three steps without a person: boxes, cantilevers, netlist text
    // (empty when no cantilever was found). Locks the volume's cells while splitting.
    // Cells are measured by the volume's cell sizes and unit length.
    struct Extraction
    {
        QString netlist;
        std::vector<Model::ModelExtraction::CantileverStructure::Beam> beams;
    };
    static Extraction extract(Model::Automaton::TotalVolume &volume);
    static QString extractNetlist(Model::Automaton::TotalVolume &volume) { return extract(volume).netlist; }
    // Writes text to fileName through a temporary file, so a failed write
    // leaves whatever the file held before.
    static bool writeNetlist(const QString &fileName, const QString &text);
    static QString noModelDataText() { return QStringLiteral("No model data was extracted."); }

    QString netlist() const;
    boost::shared_ptr<Model::Automaton::TotalVolume> getVolume() const { return m_volume; }
    const Model::ModelExtraction::BoxList &getBoxes() const { return m_boxes; }
    boost::shared_ptr<Model::ModelExtraction::ExtractedModel> getPreprocessingModel() const { return m_preprocessingModel; }
    boost::shared_ptr<Model::ModelExtraction::ExtractedModel> getExtractedModel() const { return m_extractedModel; }
    boost::shared_ptr<Model::ModelExtraction::IStructure> getStructure() const { return m_structure; }
    int getProgress() const { return m_progress; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;

private:
    void takeVolume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume);
    void say(const QString &text);

    Workspace *m_workspace;
    boost::shared_ptr<IModelExtractionUser> m_user;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    Model::ModelExtraction::BoxList m_boxes;
    boost::shared_ptr<Model::ModelExtraction::ExtractedModel> m_preprocessingModel;
    boost::shared_ptr<Model::ModelExtraction::ExtractedModel> m_extractedModel;
    boost::shared_ptr<Model::ModelExtraction::IStructure> m_structure;
    int m_nextStep = Preprocessing;
    int m_progress = 0;
    bool m_done = false;
};

} // namespace Operations
} // namespace Core
