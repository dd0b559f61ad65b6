#include "UI/Operations/materialcombobox.h"
#include "uicataloguefixture.h"

#include <QComboBox>
#include <QImage>
#include <QStyleOptionComboBox>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Process::ProcessFactory;
using Model::Process::ProcessInfo;
using Ui::Operations::MaterialComboBox;

namespace {

QList<unsigned> itemIds(const QComboBox &box)
{
    QList<unsigned> ids;
    for (int i = 0; i < box.count(); ++i)
        ids.append(box.itemData(i).toUInt());
    return ids;
}

} // namespace

class MaterialComboBoxTest : public CatalogueTest
{
};

TEST_F(MaterialComboBoxTest, FillsFromProcessWithSwatchNameAndId)
{
    QComboBox box;
    box.addItem(QStringLiteral("stale"));
    EXPECT_EQ(MaterialComboBox::fillFromProcess(&box, 3), 2);
    EXPECT_EQ(itemIds(box), (QList<unsigned>{3, 16}));
    EXPECT_EQ(box.itemText(0), QStringLiteral("Thermal Si02"));
    EXPECT_EQ(box.itemText(1), QStringLiteral("Poly-Si"));

    // The swatch is drawn at the list's own icon size, framed, filled with the colour.
    const QIcon icon = box.itemIcon(0);
    const QSize side = box.iconSize();
    ASSERT_TRUE(icon.availableSizes().contains(side));
    const QImage swatch = icon.pixmap(side).toImage();
    EXPECT_EQ(swatch.size(), side);
    EXPECT_EQ(swatch.pixelColor(side.width() / 2, side.height() / 2), QColor(127, 127, 255));
    EXPECT_NE(swatch.pixelColor(0, 0), QColor(127, 127, 255));
}

// Swatches at the list's size keep the popup a list, and a white material's
// swatch shows on the white popup through its frame.
TEST_F(MaterialComboBoxTest, SwatchesKeepTheListsIconSizeAndShowOnWhite)
{
    QComboBox box;
    const QSize normal = box.iconSize();
    MaterialComboBox::fillFromCatalogue(&box);
    EXPECT_EQ(box.iconSize(), normal);
    EXPECT_LE(normal.height(), 32);
    const int pdms = box.findText(QStringLiteral("PDMS"));
    ASSERT_GE(pdms, 0);
    const QImage swatch = box.itemIcon(pdms).pixmap(normal).toImage();
    ASSERT_EQ(swatch.size(), normal);
    EXPECT_EQ(swatch.pixelColor(normal.width() / 2, normal.height() / 2), QColor(Qt::white));
    for (const QPoint edge : {QPoint(0, 0), QPoint(normal.width() - 1, normal.height() / 2),
                              QPoint(normal.width() / 2, normal.height() - 1)}) {
        const QColor c = swatch.pixelColor(edge);
        EXPECT_LT(c.lightness(), 160) << edge.x() << "," << edge.y();
        EXPECT_EQ(c.alpha(), 255);
    }
    // An item is a text line high, not a hundred pixels.
    EXPECT_LT(box.sizeHint().height(), 60);
}

TEST_F(MaterialComboBoxTest, UnknownIdsAndUnknownProcessOfferNothing)
{
    ProcessFactory::instance()->setProcess(ProcessInfo(40, QStringLiteral("Custom"), {2, 9999, 14, 14}));
    QComboBox box;
    EXPECT_EQ(MaterialComboBox::fillFromProcess(&box, 40), 2);
    EXPECT_EQ(itemIds(box), (QList<unsigned>{14, 14}));

    EXPECT_EQ(MaterialComboBox::fillFromProcess(&box, 77), 0);
    EXPECT_EQ(MaterialComboBox::selectedId(&box), 0u);
    EXPECT_TRUE(MaterialComboBox::selectedName(&box).isEmpty());
    EXPECT_TRUE(MaterialComboBox::selectedMaterial(&box).isEmpty());
    EXPECT_FALSE(MaterialComboBox::select(&box, 1, QStringLiteral("Si")));
}

struct SelectCase
{
    unsigned id;
    const char *name;
    bool found;
    unsigned selected;
};

void PrintTo(const SelectCase &c, std::ostream *os) { *os << c.id << " '" << c.name << "'"; }

class MaterialComboBoxSelect : public CatalogueTest, public ::testing::WithParamInterface<SelectCase>
{
};

TEST_P(MaterialComboBoxSelect, ById_ThenByName)
{
    QComboBox box;
    MaterialComboBox::fillFromProcess(&box, 3); // Thermal Si02 (3), Poly-Si (16)
    const SelectCase c = GetParam();
    EXPECT_EQ(MaterialComboBox::select(&box, c.id, QString::fromLatin1(c.name)), c.found);
    EXPECT_EQ(MaterialComboBox::selectedId(&box), c.selected);
    EXPECT_EQ(MaterialComboBox::selectedName(&box), MaterialFactory::instance()->getMaterial(c.selected).getName());
}

INSTANTIATE_TEST_SUITE_P(Cases, MaterialComboBoxSelect,
                         ::testing::Values(SelectCase{16, "", true, 16}, SelectCase{0, "Poly-Si", true, 16},
                                           SelectCase{3, "Poly-Si", true, 3}, SelectCase{5, "Poly-Si", true, 16},
                                           SelectCase{5, "", false, 3}, SelectCase{0, "poly-si", false, 3},
                                           SelectCase{0, "", false, 3}));

TEST_F(MaterialComboBoxTest, WholeCatalogueAndReadBack)
{
    MaterialFactory::instance()->setMaterial(Material(2400, QStringLiteral("Mine"), 5, 6, 0.3f));
    QComboBox box;
    EXPECT_TRUE(MaterialComboBox::setUp(&box, 0, 17));
    EXPECT_EQ(box.count(), 17);
    EXPECT_EQ(itemIds(box).first(), 1u);
    EXPECT_EQ(itemIds(box).last(), 2400u);
    EXPECT_EQ(MaterialComboBox::selectedName(&box), QStringLiteral("Si (cubic)"));
    EXPECT_EQ(MaterialComboBox::selectedMaterial(&box).getDensity(), 329.0f);

    EXPECT_TRUE(MaterialComboBox::setUp(&box, 13, 0, QStringLiteral("P-doped Si (100)")));
    EXPECT_EQ(itemIds(box), (QList<unsigned>{1, 14, 15, 16}));
    EXPECT_EQ(MaterialComboBox::selectedId(&box), 15u);
}
