#include "Core/Operations/Document/documentsession.h"
#include "Core/Operations/Document/materialreconciler.h"
#include "Core/Operations/consolemodel.h"
#include "Model/Materials/materialfactory.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Core::Operations;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {

// Stands in for the conflict dialog: answers with a fixed choice, or cancels.
class AnsweringObserver : public Util::IObserver
{
public:
    explicit AnsweringObserver(std::function<void()> answer) : m_answer(answer) {}
    void notify() override
    {
        ++calls;
        seen = DocumentSession::instance().pendingConflict();
        m_answer();
    }
    int calls = 0;
    MaterialConflict seen;

private:
    std::function<void()> m_answer;
};

class MaterialReconcilerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MaterialFactory::instance()->setDefaultMaterials();
        DocumentSession::instance().reset();
    }
    void TearDown() override
    {
        MaterialFactory::instance()->setDefaultMaterials();
        DocumentSession::instance().reset();
    }
    static QList<Material> catalogue() { return MaterialFactory::instance()->getMaterials(); }
    static DocumentSession::MaterialMap &map() { return DocumentSession::instance().materialMap(); }
};

Material loaded(unsigned id, const QString &name)
{
    return Material(id, name, 1234.0f, 5e9f, 0.3f, Util::Vector4D(0.2, 0.4, 0.6, 1.0));
}

} // namespace

TEST_F(MaterialReconcilerTest, MaterialEqualToTheCatalogueChangesNothing)
{
    const QList<Material> before = catalogue();
    for (const Material &m : before)
        MaterialReconciler::reconcile(m, nullptr);
    EXPECT_EQ(catalogue(), before);
    for (const Material &m : before)
        EXPECT_EQ(map().value(m.getId()), m.getId());
}

TEST_F(MaterialReconcilerTest, SameIdSameNameKeepsTheCatalogueDefinition)
{
    const Material si = MaterialFactory::instance()->getMaterial(1);
    MaterialReconciler::reconcile(loaded(1, QStringLiteral("Si")), nullptr);
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(1), si);
    EXPECT_EQ(map().value(1), 1u);
}

TEST_F(MaterialReconcilerTest, KnownNameUnderAnotherIdIsRenumberedToTheCatalogueId)
{
    const QList<Material> before = catalogue();
    MaterialReconciler::reconcile(loaded(450, QStringLiteral("Poly-Si")), nullptr);
    EXPECT_EQ(map().value(450), 16u);
    EXPECT_EQ(catalogue(), before);
}

TEST_F(MaterialReconcilerTest, UnknownMaterialIsAddedUnderItsOwnId)
{
    MaterialReconciler::reconcile(loaded(2345, QStringLiteral("Gold leaf")), nullptr);
    EXPECT_EQ(map().value(2345), 2345u);
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(2345), loaded(2345, QStringLiteral("Gold leaf")));
}

TEST_F(MaterialReconcilerTest, InvalidMaterialWarnsOnTheConsoleAndMapsNothing)
{
    ConsoleModel console;
    MaterialReconciler::reconcile(loaded(0, QStringLiteral("No id")), &console);
    EXPECT_EQ(console.lastMessage(),
              QStringLiteral("WARNING: There was an error loading a material. This may alter the loaded cell volume."));
    console.write(QString());
    MaterialReconciler::reconcile(loaded(77, QString()), &console);
    EXPECT_FALSE(console.lastMessage().isEmpty());
    EXPECT_TRUE(map().isEmpty());
}

TEST_F(MaterialReconcilerTest, ConflictWithoutObserverAddsTheLoadedMaterialUnderANewId)
{
    const Material existing = MaterialFactory::instance()->getMaterial(3);
    MaterialReconciler::reconcile(loaded(3, QStringLiteral("Spin-on glass")), nullptr);
    const unsigned newId = map().value(3);
    EXPECT_GE(newId, 2000u);
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(newId).getName(), QStringLiteral("Spin-on glass"));
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(3), existing);
}

struct ConflictCase
{
    const char *name;
    bool answer; // false: the dialog is cancelled
    ConflictChoice choice;
    unsigned alternate;
    // expected
    bool renumberedToNew;
    unsigned mappedTo; // when not renumbered to a new id
    const char *catalogueNameOf3;
    friend void PrintTo(const ConflictCase &c, std::ostream *os) { *os << c.name; }
};

class ConflictAnswer : public MaterialReconcilerTest, public ::testing::WithParamInterface<ConflictCase>
{
};

TEST_P(ConflictAnswer, SettlesTranslationAndCatalogue)
{
    const ConflictCase &c = GetParam();
    boost::shared_ptr<AnsweringObserver> observer(new AnsweringObserver([&c]() {
        if (c.answer)
            MaterialReconciler::settleConflict(c.choice, c.alternate);
    }));
    DocumentSession::instance().setMaterialConflictObserver(observer);
    const Material conflicting = loaded(3, QStringLiteral("Spin-on glass"));
    const int before = catalogue().size();

    MaterialReconciler::reconcile(conflicting, nullptr);

    ASSERT_EQ(observer->calls, 1);
    EXPECT_EQ(observer->seen.existing.getName(), QStringLiteral("Thermal Si02"));
    EXPECT_EQ(observer->seen.loaded, conflicting);
    const unsigned mapped = map().value(3);
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(3).getName(), QString::fromLatin1(c.catalogueNameOf3));
    if (c.renumberedToNew) {
        EXPECT_GE(mapped, 2000u);
        Material added = MaterialFactory::instance()->getMaterial(mapped);
        EXPECT_EQ(added.getName(), conflicting.getName());
        EXPECT_EQ(added.getColor(), conflicting.getColor());
        EXPECT_EQ(catalogue().size(), before + 1);
    } else {
        EXPECT_EQ(mapped, c.mappedTo);
        EXPECT_EQ(catalogue().size(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    MaterialReconcilerTest, ConflictAnswer,
    ::testing::Values(
        ConflictCase{"ReplaceLoadedByExisting", true, ConflictChoice::ReplaceLoadedByExisting, 0, false, 3,
                     "Thermal Si02"},
        ConflictCase{"ReplaceExistingByLoaded", true, ConflictChoice::ReplaceExistingByLoaded, 0, false, 3,
                     "Spin-on glass"},
        ConflictCase{"ReplaceLoadedByAnother", true, ConflictChoice::ReplaceLoadedByAnother, 9, false, 9,
                     "Thermal Si02"},
        ConflictCase{"AddLoadedAsNew", true, ConflictChoice::AddLoadedAsNew, 0, true, 0, "Thermal Si02"},
        ConflictCase{"Cancelled", false, ConflictChoice::AddLoadedAsNew, 0, true, 0, "Thermal Si02"},
        // An alternate that is not in the catalogue cannot settle the conflict.
        ConflictCase{"UnknownAlternate", true, ConflictChoice::ReplaceLoadedByAnother, 31999, true, 0,
                     "Thermal Si02"}),
    [](const ::testing::TestParamInfo<ConflictCase> &info) { return std::string(info.param.name); });
