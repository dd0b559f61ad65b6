#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Materials/coloritemdelegate.h"
#include "UI/Materials/managematerialsdialog.h"
#include "UI/Materials/materialtableviewitem.h"
#include "uicataloguefixture.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Ui::MaterialTableViewItem;

namespace {

class CountingObserver : public Util::IObserver
{
public:
    void notify() override { ++count; }
    int count = 0;
};

void openEditor(QTableView *view, const QModelIndex &index)
{
    const QPoint centre = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

} // namespace

class ManageMaterialsDialogTest : public CatalogueTest
{
protected:
    void open(Core::Operations::Workspace *workspace = nullptr)
    {
        dialog.reset(new Ui::ManageMaterialsDialog(workspace));
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        table = child<QTableView>(dialog.get(), "tvwMaterials");
        add = child<QPushButton>(dialog.get(), "btnAddMaterial");
        QDialogButtonBox *box = child<QDialogButtonBox>(dialog.get(), "buttonBox");
        ok = box->button(QDialogButtonBox::Ok);
        cancel = box->button(QDialogButtonBox::Cancel);
        model = table->model();
    }

    std::unique_ptr<Ui::ManageMaterialsDialog> dialog;
    QTableView *table = nullptr;
    QPushButton *add = nullptr;
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;
    QAbstractItemModel *model = nullptr;
};

TEST_F(ManageMaterialsDialogTest, ShowsTheCatalogueInThreeColumns)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Manage Materials"));
    EXPECT_EQ(add->text(), QStringLiteral("Add Material"));
    ASSERT_EQ(model->rowCount(), 16);
    ASSERT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Material Id"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Material Name"));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Color"));
    EXPECT_EQ(model->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    EXPECT_EQ(model->headerData(15, Qt::Vertical).toString(), QStringLiteral("16"));
    EXPECT_EQ(model->data(model->index(0, 0)).toUInt(), 1u);
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), QStringLiteral("Si"));
    EXPECT_EQ(model->data(model->index(0, 2)).value<QColor>(), QColor(127, 127, 127, 255));
    EXPECT_EQ(model->data(model->index(15, 1)).toString(), QStringLiteral("Si (cubic)"));
    EXPECT_TRUE(qobject_cast<Ui::ColorItemDelegate *>(table->itemDelegateForColumn(2)));
    // The id names the row: no row number stands beside it.
    EXPECT_FALSE(table->verticalHeader()->isVisible());
}

// Every colour cell shows its swatch, white PDMS on the white table too.
TEST_F(ManageMaterialsDialogTest, EveryMaterialShowsItsSwatchWhiteOnesIncluded)
{
    open();
    const QImage shot = table->viewport()->grab().toImage();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex colour = model->index(row, MaterialTableViewItem::ColorColumn);
        const QRect cell = table->visualRect(colour);
        if (!table->viewport()->rect().contains(cell))
            continue; // scrolled out of sight
        const QColor swatch = model->data(colour).value<QColor>();
        const QString name = model->data(model->index(row, 1)).toString();
        // The middle is the colour; the swatch's frame stands out of the background around it.
        EXPECT_EQ(shot.pixelColor(cell.center()).rgb(), swatch.rgb()) << name.toStdString();
        const QColor frame = shot.pixelColor(cell.left() + 3, cell.center().y());
        const QColor beside = shot.pixelColor(cell.left() + 1, cell.center().y());
        EXPECT_NE(frame.rgb(), beside.rgb()) << name.toStdString();
        EXPECT_NE(frame.rgb(), swatch.rgb()) << name.toStdString();
    }
    const int pdms = [this]() {
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->data(model->index(row, 1)).toString() == QLatin1String("PDMS"))
                return row;
        return -1;
    }();
    ASSERT_GE(pdms, 0);
    table->scrollTo(model->index(pdms, 2));
    const QRect cell = table->visualRect(model->index(pdms, 2));
    const QImage again = table->viewport()->grab().toImage();
    EXPECT_EQ(again.pixelColor(cell.center()), QColor(Qt::white));
    EXPECT_LT(again.pixelColor(cell.left() + 3, cell.center().y()).lightness(), 160) << "a frame around the white";
}

struct EditCase
{
    const char *label;
    unsigned id;
    int column;
    QVariant value;
    bool accepted;
};

void PrintTo(const EditCase &c, std::ostream *os) { *os << c.label; }

class MaterialTableViewItemEdit : public ::testing::TestWithParam<EditCase>
{
};

TEST_P(MaterialTableViewItemEdit, AcceptsOnlyEditableValidValues)
{
    const EditCase c = GetParam();
    MaterialTableViewItem model({Material(c.id, QStringLiteral("Before"), 2, 3, 0.25f)});
    const Material before = model.materials().first();
    const QModelIndex index = model.index(0, c.column);
    EXPECT_EQ(bool(model.flags(index) & Qt::ItemIsEditable) && model.setData(index, c.value), c.accepted);
    if (!c.accepted) {
        EXPECT_EQ(model.materials().first(), before);
        return;
    }
    const Material after = model.materials().first();
    if (c.column == MaterialTableViewItem::NameColumn) {
        EXPECT_EQ(after.getName(), c.value.toString());
    } else {
        EXPECT_EQ(model.data(index).value<QColor>(), c.value.value<QColor>());
        EXPECT_NEAR(after.getColor().w, c.value.value<QColor>().alpha() / 255.0, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cells, MaterialTableViewItemEdit,
    ::testing::Values(EditCase{"UserName", 2000, 1, QStringLiteral("Gold leaf"), true},
                      EditCase{"BuiltInName", 1999, 1, QStringLiteral("Renamed"), false},
                      EditCase{"EmptyName", 2001, 1, QString(), false},
                      EditCase{"BlankName", 2001, 1, QStringLiteral("   "), false},
                      EditCase{"Id", 2001, 0, 2002u, false},
                      EditCase{"BuiltInColor", 1, 2, QColor(10, 20, 30, 40), true},
                      EditCase{"InvalidColor", 2001, 2, QColor(), false}),
    [](const ::testing::TestParamInfo<EditCase> &info) { return std::string(info.param.label); });

TEST_F(ManageMaterialsDialogTest, AddedMaterialsGetDistinctIdsAndOkStoresSavesAndRedraws)
{
    Core::Operations::Workspace workspace;
    boost::shared_ptr<Model::Automaton::TotalVolume> volume(
        new Model::Automaton::TotalVolume(2, 2, 2, 1, 1, 1, Util::Vector3D(), 1u));
    workspace.document().addObject(volume);
    ASSERT_TRUE(workspace.selection().toggleByIds({volume->getId()}));
    boost::shared_ptr<CountingObserver> redraws(new CountingObserver);
    workspace.addUpdateObserver(redraws);

    open(&workspace);
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);
    ASSERT_EQ(model->rowCount(), 18);
    const unsigned first = model->data(model->index(16, 0)).toUInt();
    const unsigned second = model->data(model->index(17, 0)).toUInt();
    EXPECT_GE(first, 2000u);
    EXPECT_GE(second, 2000u);
    EXPECT_NE(first, second);
    EXPECT_EQ(model->data(model->index(17, 1)).toString(), QStringLiteral("New Material"));
    EXPECT_EQ(model->data(model->index(17, 2)).value<QColor>(), QColor(127, 127, 127, 255));
    EXPECT_EQ(MaterialFactory::instance()->getMaterials().size(), 16) << "nothing reaches the catalogue before OK";

    // Rename the first new material through the table's own editor.
    openEditor(table, model->index(16, 1));
    QLineEdit *editor = nullptr;
    QTRY_VERIFY((editor = table->viewport()->findChild<QLineEdit *>()) && editor->isVisible());
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Gold leaf"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(model->data(model->index(16, 1)).toString(), QStringLiteral("Gold leaf"));

    // Built-in names have no editor.
    QTRY_VERIFY(!table->viewport()->findChild<QLineEdit *>());
    openEditor(table, model->index(0, 1));
    EXPECT_EQ(table->viewport()->findChild<QLineEdit *>(), nullptr);

    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    EXPECT_EQ(catalogue->getMaterials().size(), 18);
    EXPECT_EQ(catalogue->getMaterial(first).getName(), QStringLiteral("Gold leaf"));
    EXPECT_EQ(catalogue->getMaterial(second).getName(), QStringLiteral("New Material"));
    EXPECT_EQ(catalogue->getMaterial(second).getDensity(), 1.0f);
    EXPECT_EQ(catalogue->getMaterial(1).getName(), QStringLiteral("Si"));
    EXPECT_TRUE(readCatalogue(QStringLiteral("materials.xml")).contains("name=\"Gold leaf\" material-id=\""
                                                                        + QByteArray::number(first) + "\""));
    EXPECT_TRUE(workspace.selection().getSelected().isEmpty());
    EXPECT_FALSE(volume->isSelected());
    EXPECT_EQ(redraws->count, 1);
}

TEST_F(ManageMaterialsDialogTest, CancelDiscardsEverything)
{
    const QList<Material> before = MaterialFactory::instance()->getMaterials();
    open();
    QTest::mouseClick(add, Qt::LeftButton);
    model->setData(model->index(16, 1), QStringLiteral("Discarded"));
    model->setData(model->index(0, 2), QColor(255, 0, 0));
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(MaterialFactory::instance()->getMaterials(), before);
    EXPECT_FALSE(QFile::exists(torvaneDir() + QStringLiteral("/materials.xml")));
}

TEST_F(ManageMaterialsDialogTest, ColourCellIsEditedThroughAColourDialog)
{
    open();
    const QModelIndex cell = model->index(1, 2); // "Thermal Si02"
    openEditor(table, cell);
    QColorDialog *picker = nullptr;
    QTRY_VERIFY((picker = table->viewport()->findChild<QColorDialog *>()) && picker->isVisible());
    EXPECT_TRUE(picker->testOption(QColorDialog::ShowAlphaChannel));
    EXPECT_EQ(picker->currentColor(), QColor(127, 127, 255, 255));
    picker->setCurrentColor(QColor(10, 200, 30, 128));
    picker->accept();
    QTRY_COMPARE(model->data(cell).value<QColor>(), QColor(10, 200, 30, 128));
    QTRY_VERIFY(!table->viewport()->findChild<QColorDialog *>());

    // A rejected choice leaves the cell alone.
    openEditor(table, cell);
    QTRY_VERIFY((picker = table->viewport()->findChild<QColorDialog *>()) && picker->isVisible());
    EXPECT_EQ(picker->currentColor(), QColor(10, 200, 30, 128));
    picker->setCurrentColor(QColor(255, 255, 0));
    picker->reject();
    QTRY_VERIFY(!table->viewport()->findChild<QColorDialog *>());
    EXPECT_EQ(model->data(cell).value<QColor>(), QColor(10, 200, 30, 128));

    QTest::mouseClick(ok, Qt::LeftButton);
    const Util::Vector4D stored = MaterialFactory::instance()->getMaterial(3).getColor();
    EXPECT_NEAR(stored.x, 10 / 255.0, 1e-6);
    EXPECT_NEAR(stored.y, 200 / 255.0, 1e-6);
    EXPECT_NEAR(stored.w, 128 / 255.0, 1e-6);
    EXPECT_TRUE(readCatalogue(QStringLiteral("materials.xml")).contains("material-id=\"3\" density=\"2200\" "
                                                                        "poisson-ratio=\"0.17\" young-modulus=\"7e+10\" "
                                                                        "color=\"#800AC81E\""));
}

// A colour changed in the catalogue dialog reaches the faces of volumes already drawn.
TEST_F(ManageMaterialsDialogTest, OkRecoloursTheFacesOfDrawnVolumes)
{
    Core::Operations::Workspace workspace;
    boost::shared_ptr<Model::Automaton::TotalVolume> volume(
        new Model::Automaton::TotalVolume(2, 2, 2, 1, 1, 1, Util::Vector3D(), 1u));
    workspace.document().addObject(volume);
    volume->getPainter().regenerate();
    ASSERT_FALSE(volume->getPainter().opaqueFaces().empty());

    open(&workspace);
    ASSERT_EQ(model->data(model->index(0, 0)).toUInt(), 1u);
    ASSERT_TRUE(model->setData(model->index(0, 2), QColor(255, 0, 0)));
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    for (const Model::Geometry::QuadFace &face : volume->getPainter().opaqueFaces()) {
        EXPECT_FLOAT_EQ(face.fill[0], 1.0f);
        EXPECT_FLOAT_EQ(face.fill[1], 0.0f);
        EXPECT_FLOAT_EQ(face.fill[2], 0.0f);
        EXPECT_FLOAT_EQ(face.fill[3], 1.0f);
    }
}
