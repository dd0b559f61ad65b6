#include "UI/Materials/editcompatiblematerialsdialog.h"
#include "uicataloguefixture.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Process::ProcessFactory;
using Model::Process::ProcessInfo;

namespace {

QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result.append(list->item(row)->text());
    return result;
}

// Ctrl-click each named item, as a user picking several materials would.
void pick(QListWidget *list, const QStringList &names)
{
    for (const QString &name : names) {
        const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        list->scrollToItem(found.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(found.first()).center());
    }
}

} // namespace

class EditCompatibleMaterialsDialogTest : public CatalogueTest
{
protected:
    void open()
    {
        dialog.reset(new Ui::EditCompatibleMaterialsDialog);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        process = child<QComboBox>(dialog.get(), "cbxProcess");
        available = child<QListWidget>(dialog.get(), "listAvailableMaterials");
        compatible = child<QListWidget>(dialog.get(), "listCompatibleMaterials");
        insert = child<QPushButton>(dialog.get(), "btnInsert");
        remove = child<QPushButton>(dialog.get(), "btnRemove");
        QDialogButtonBox *box = child<QDialogButtonBox>(dialog.get(), "buttonBox");
        ok = box->button(QDialogButtonBox::Ok);
        cancel = box->button(QDialogButtonBox::Cancel);
    }
    void choose(unsigned processId) { process->setCurrentIndex(process->findData(QVariant(processId))); }

    std::unique_ptr<Ui::EditCompatibleMaterialsDialog> dialog;
    QComboBox *process = nullptr;
    QListWidget *available = nullptr;
    QListWidget *compatible = nullptr;
    QPushButton *insert = nullptr;
    QPushButton *remove = nullptr;
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;
};

TEST_F(EditCompatibleMaterialsDialogTest, ListsProcessesAndSplitsMaterials)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Edit Compatible Materials"));
    EXPECT_EQ(child<QLabel>(dialog.get(), "lblProcess")->text(), QStringLiteral("Process"));
    EXPECT_EQ(insert->text(), QStringLiteral(">>"));
    EXPECT_EQ(remove->text(), QStringLiteral("<<"));
    ASSERT_EQ(process->count(), 18);
    EXPECT_EQ(process->itemText(13), QStringLiteral("Ion Implantation"));
    EXPECT_EQ(process->itemData(14).toUInt(), 15u);

    EXPECT_EQ(dialog->currentProcessId(), 1u);
    EXPECT_EQ(texts(compatible), QStringList{QStringLiteral("Si")});
    EXPECT_EQ(available->count(), 15);
    EXPECT_FALSE(texts(available).contains(QStringLiteral("Si")));
    EXPECT_EQ(available->item(0)->data(Qt::UserRole).toUInt(), 3u);

    choose(12);
    EXPECT_EQ(texts(compatible), (QStringList{QStringLiteral("Si"), QStringLiteral("N-doped Si (100)"),
                                              QStringLiteral("P-doped Si (100)"), QStringLiteral("Poly-Si")}));
    EXPECT_EQ(available->count(), 12);
}

TEST_F(EditCompatibleMaterialsDialogTest, MovesMaterialsAndOkStoresAndSaves)
{
    open();
    choose(3);
    EXPECT_EQ(texts(compatible), (QStringList{QStringLiteral("Thermal Si02"), QStringLiteral("Poly-Si")}));

    pick(available, {QStringLiteral("Au (bulk)"), QStringLiteral("Si")});
    QTest::mouseClick(insert, Qt::LeftButton);
    EXPECT_EQ(texts(compatible), (QStringList{QStringLiteral("Thermal Si02"), QStringLiteral("Poly-Si"),
                                              QStringLiteral("Si"), QStringLiteral("Au (bulk)")}));
    EXPECT_TRUE(available->selectedItems().isEmpty());
    EXPECT_EQ(available->count(), 12);

    pick(compatible, {QStringLiteral("Thermal Si02")});
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_TRUE(compatible->selectedItems().isEmpty());
    EXPECT_TRUE(texts(available).contains(QStringLiteral("Thermal Si02")));

    // Edits of one process survive looking at another.
    choose(4);
    pick(compatible, {QStringLiteral("Ti (bulk)")});
    QTest::mouseClick(remove, Qt::LeftButton);
    choose(3);
    EXPECT_EQ(texts(compatible),
              (QStringList{QStringLiteral("Poly-Si"), QStringLiteral("Si"), QStringLiteral("Au (bulk)")}));
    EXPECT_EQ(ProcessFactory::instance()->getProcess(3).getCompatibleMaterialIds(), (QList<unsigned>{3, 16}));

    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const boost::shared_ptr<ProcessFactory> catalogue = ProcessFactory::instance();
    EXPECT_EQ(catalogue->getProcess(3).getCompatibleMaterialIds(), (QList<unsigned>{16, 1, 9}));
    EXPECT_EQ(catalogue->getProcess(4).getCompatibleMaterialIds(), (QList<unsigned>{4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(catalogue->getProcess(5).getCompatibleMaterialIds().size(), 11);
    const QByteArray file = readCatalogue(QStringLiteral("processes.xml"));
    EXPECT_TRUE(file.contains("name=\"CVD\" process-id=\"3\">\n        <CompatibleMaterials>16;1;9</CompatibleMaterials>"))
        << file.constData();
}

TEST_F(EditCompatibleMaterialsDialogTest, CancelDiscards)
{
    const QList<ProcessInfo> before = ProcessFactory::instance()->getProcesses();
    open();
    pick(compatible, {QStringLiteral("Si")});
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_EQ(compatible->count(), 0);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(ProcessFactory::instance()->getProcesses(), before);
    EXPECT_FALSE(QFile::exists(torvaneDir() + QStringLiteral("/processes.xml")));
}

TEST_F(EditCompatibleMaterialsDialogTest, UnknownIdsAreHiddenButKeptAndUserMaterialsOffered)
{
    ProcessFactory::instance()->setProcess(ProcessInfo(7, QStringLiteral("Planarization"), {9999, 13}));
    MaterialFactory::instance()->setMaterial(Material(2222, QStringLiteral("My resist"), 1, 1, 1));
    open();
    choose(7);
    EXPECT_EQ(texts(compatible), QStringList{QStringLiteral("PDMS")});
    EXPECT_EQ(available->count(), 16);
    EXPECT_TRUE(texts(available).contains(QStringLiteral("My resist")));

    pick(available, {QStringLiteral("My resist")});
    QTest::mouseClick(insert, Qt::LeftButton);
    pick(compatible, {QStringLiteral("PDMS")});
    QTest::mouseClick(remove, Qt::LeftButton);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(ProcessFactory::instance()->getProcess(7).getCompatibleMaterialIds(), (QList<unsigned>{9999, 2222}));
}

TEST_F(EditCompatibleMaterialsDialogTest, EmptyCatalogueLeavesButtonsHarmless)
{
    // A catalogue can only be emptied by a file without processes.
    QDir().mkpath(torvaneDir());
    QFile file(torvaneDir() + QStringLiteral("/processes.xml"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<Processes/>");
    file.close();
    ASSERT_TRUE(ProcessFactory::instance()->loadProcesses());
    open();
    EXPECT_EQ(process->count(), 0);
    EXPECT_EQ(dialog->currentProcessId(), 0u);
    EXPECT_EQ(available->count(), 0);
    QTest::mouseClick(insert, Qt::LeftButton);
    QTest::mouseClick(remove, Qt::LeftButton);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(ProcessFactory::instance()->getProcesses().isEmpty());
}
