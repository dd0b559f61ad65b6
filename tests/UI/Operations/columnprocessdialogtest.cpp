#include "Core/Operations/Moore/layertestsupport.h"

#include "Core/Operations/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Observers/maskedcutobserver.h"
#include "UI/Observers/stepobservers.h"
#include "UI/Operations/stepdialogs.h"
#include "UI/Operations/maskfilerow.h"
#include "UI/Operations/materialcombobox.h"
#include "UI/operationfactory.h"

#include "Model/Layout/gdsiiteststream.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <functional>

using namespace Core::Operations;
using namespace LayerTest;
using namespace Ui::Operations;
using Model::Automaton::TotalVolume;

namespace {

// Runs action on the modal dialog the observer opens, then presses OK or Cancel.
void whenDialogOpens(std::function<void(QDialog *)> action, bool ok)
{
    QTimer *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action, ok]() {
        QDialog *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
        QDialogButtonBox *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
    timer->start();
}

template <class T>
T *child(QWidget *parent, const char *name)
{
    T *widget = parent->findChild<T *>(QString::fromLatin1(name));
    EXPECT_TRUE(widget) << name;
    return widget;
}

// Silicon below z = 2, resist 11 at z = 2..4, empty above.
uint32_t resistStack(unsigned, unsigned, unsigned z) { return z < 2 ? 1u : z < 5 ? 11u : 0u; }

class ColumnDialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Model::Materials::MaterialFactory::instance()->setDefaultMaterials();
        workspace.document().addObject(volume);
    }

    // Starts the operation with the observer the factory would give it.
    template <class Op, class Observer>
    boost::shared_ptr<Op> start()
    {
        boost::shared_ptr<Op> op(new Op(&workspace));
        op->setDialogObserver(boost::shared_ptr<Util::IObserver>(new Observer(op, nullptr)));
        workspace.startOperation(op);
        return op;
    }

    Workspace workspace;
    boost::shared_ptr<TotalVolume> volume = makeVolume(8, 4, 8, resistStack);
};

} // namespace

TEST_F(ColumnDialogs, MooreObserversNameTheValueAndPassMaterialAndCells)
{
    QString label;
    whenDialogOpens(
        [&](QDialog *d) {
            EXPECT_EQ(d->objectName(), QStringLiteral("MooreOptionsBaseDialog"));
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Operation Options"));
            label = child<QLabel>(d, "lblValue")->text();
            QSpinBox *cells = child<QSpinBox>(d, "sbxValue");
            EXPECT_EQ(cells->minimum(), 1);
            EXPECT_EQ(cells->value(), 1);
            cells->setValue(2);
            MaterialComboBox::select(child<QComboBox>(d, "cbxFilm"), 4);
        },
        true);
    start<MooreNeighborhoodDepositionOperation, Ui::Observers::MooreDepositionObserver>();
    EXPECT_EQ(label, QStringLiteral("Film Thickness"));
    EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("Moore film deposition: Operation finished."));
    EXPECT_EQ(materialAt(*volume, 3, 1, 6), 4u);
    EXPECT_EQ(materialAt(*volume, 3, 1, 7), 0u);

    whenDialogOpens([&](QDialog *d) { label = child<QLabel>(d, "lblValue")->text(); }, false);
    start<MooreNeighborhoodEtchingOperation, Ui::Observers::MooreEtchingObserver>();
    EXPECT_EQ(label, QStringLiteral("Etch Depth"));
    EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("Moore film deposition: Operation canceled."));
}

TEST_F(ColumnDialogs, PhotolithographyAppliesMasksAtOnceAndWarnsAboutUnreadableFiles)
{
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            image.setPixel(x, y, qRgb(0, 0, 0));
    const QString file = QDir::current().filePath(QStringLiteral("half.png"));
    ASSERT_TRUE(image.save(file));

    TotalVolume::MaskSize shown;
    QString warning;
    whenDialogOpens(
        [&](QDialog *d) {
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Photolithography Options"));
            EXPECT_GE(d->width(), 370);
            child<QLineEdit>(d, "lieTopMask")->setText(file);
            child<QPushButton>(d, "btnApplyTopMask")->click();
            shown = volume->getTopMaskSize();
            PhotolithographyDialog *dialog = static_cast<PhotolithographyDialog *>(d);
            dialog->bottomRow()->warn = [&](const QString &text) { warning = text; };
            child<QLineEdit>(d, "lieBottomMask")->setText(QStringLiteral("missing.png"));
            child<QPushButton>(d, "btnApplyBottomMask")->click();
            MaterialComboBox::select(child<QComboBox>(d, "cbxFilm"), 11);
        },
        true);
    start<PhotolithographyOperation, Ui::Observers::PhotolithographyObserver>();
    EXPECT_EQ(shown, TotalVolume::MaskSize(8, 4));
    EXPECT_EQ(warning, QString::fromLatin1(PhotolithographyDialog::BottomMaskNotFound));
    EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("Photolithography: Operation finished."));
    EXPECT_EQ(volume->getTopMaskSize(), TotalVolume::MaskSize(0, 0));
    for (unsigned x = 0; x < 8; ++x)
        EXPECT_EQ(materialAt(*volume, x, 2, 3), x < 4 ? 11u : 0u) << x;
}

TEST_F(ColumnDialogs, MaskedCutRemoveClearsTheMaskSoTheCutCancels)
{
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString file = QDir::current().filePath(QStringLiteral("red.png"));
    ASSERT_TRUE(image.save(file));
    bool shown = false;
    whenDialogOpens(
        [&](QDialog *d) {
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Masked Cell Cut Options"));
            child<QLineEdit>(d, "lieMask")->setText(file);
            child<QPushButton>(d, "btnApplyMask")->click();
            shown = volume->getTopMaskSize() == TotalVolume::MaskSize(8, 4);
            child<QPushButton>(d, "btnRemoveMask")->click();
        },
        true);
    start<MaskedCutCellVolumeOperation, Ui::Observers::MaskedCutObserver>();
    EXPECT_TRUE(shown);
    EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("Masked Cut: Operation Canceled!"));
    EXPECT_EQ(volume->getTopMaskSize(), TotalVolume::MaskSize(0, 0));
}

TEST_F(ColumnDialogs, MaskedCutDrawsAGdsiiLayerOnTheVolumeGrid)
{
    // Layer 5 covers x < 3 µm and y >= 1 µm of the 8 x 4 cells; layer 6 is a decoy.
    const QString file = QDir::current().filePath(QStringLiteral("cut.gds"));
    TestSupport::writeFile(file, TestSupport::GdsiiStream()
                                     .begin("CUT")
                                     .box(5, -1000, 1000, 3000, 9000)
                                     .box(6, 0, 0, 8000, 4000)
                                     .end()
                                     .finish());
    TotalVolume::MaskSize shown;
    QString preview;
    whenDialogOpens(
        [&](QDialog *d) {
            child<QComboBox>(d, "cbxMaskSource")->setCurrentIndex(1);
            QApplication::processEvents();
            // The dialog grows to the layout page instead of squeezing it into the image row's height.
            QWidget *page = child<QLineEdit>(d, "lieMaskLayout")->parentWidget()->parentWidget();
            EXPECT_FALSE(page->isHidden());
            EXPECT_GE(page->height(), page->minimumSizeHint().height());
            child<QLineEdit>(d, "lieMaskLayout")->setText(file);
            child<QPushButton>(d, "btnLoadMaskLayout")->click();
            QComboBox *layer = child<QComboBox>(d, "cbxMaskLayer");
            EXPECT_EQ(layer->count(), 2);
            layer->setCurrentIndex(layer->findText(QStringLiteral("5/0")));
            child<QPushButton>(d, "btnApplyMaskLayout")->click();
            shown = volume->getTopMaskSize();
        },
        true);
    const boost::shared_ptr<MaskedCutCellVolumeOperation> op =
        start<MaskedCutCellVolumeOperation, Ui::Observers::MaskedCutObserver>();
    EXPECT_EQ(shown, TotalVolume::MaskSize(8, 4));
    EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("Masked Cut: Cut planes changed."));
    ASSERT_EQ(op->mask().width, 8u);
    ASSERT_EQ(op->mask().height, 4u);
    for (unsigned x = 0; x < 8; ++x)
        for (unsigned y = 0; y < 4; ++y)
            EXPECT_EQ(bool(op->mask().bits[x * 4 + y]), x < 3 && y >= 1) << x << "," << y;
}

TEST_F(ColumnDialogs, PlanarizationLimitsFollowTheVolumeAndTheMaximum)
{
    whenDialogOpens(
        [&](QDialog *d) {
            QSpinBox *maximum = child<QSpinBox>(d, "sbxMaximumHeight");
            QSpinBox *minimum = child<QSpinBox>(d, "sbxMinimumHeight");
            EXPECT_EQ(maximum->maximum(), 8);
            EXPECT_EQ(maximum->value(), 8);
            EXPECT_EQ(minimum->maximum(), 8);
            maximum->setValue(4);
            EXPECT_EQ(minimum->maximum(), 4);
            minimum->setValue(9);
            EXPECT_EQ(minimum->value(), 4);
            minimum->setValue(2);
        },
        true);
    start<PlanarizationOperation, Ui::Observers::PlanarizationObserver>();
    EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("Planarization: Operation finished."));
    EXPECT_EQ(materialAt(*volume, 0, 0, 1), 0u);
    EXPECT_EQ(materialAt(*volume, 0, 0, 2), 11u);
    EXPECT_EQ(materialAt(*volume, 0, 0, 4), 0u);
}

TEST_F(ColumnDialogs, PouringHeightIsBoundedByTheVolume)
{
    whenDialogOpens(
        [&](QDialog *d) {
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Pour Material Options"));
            QSpinBox *height = child<QSpinBox>(d, "sbxHeight");
            EXPECT_EQ(height->maximum(), 8);
            height->setValue(7);
            MaterialComboBox::select(child<QComboBox>(d, "cbxMaterial"), 6);
        },
        true);
    start<SpinCoatingOperation, Ui::Observers::SpinCoatingObserver>();
    EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("Spin Coating: Operation finished."));
    EXPECT_EQ(materialAt(*volume, 0, 0, 6), 6u);
    EXPECT_EQ(materialAt(*volume, 0, 0, 7), 0u);
}

TEST_F(ColumnDialogs, RieDirectionBoxesFollowStoredFlagsAndReachTheOperation)
{
    SimpleRIEDialog dialog;
    EXPECT_TRUE(child<QCheckBox>(&dialog, "chkEtchFromTop")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(&dialog, "chkEtchFromBelow")->isChecked());
    dialog.fillFrom({{QStringLiteral("EtchDirectionValue"), 2u}, {QStringLiteral("Etch Depth"), 3u},
                     {QStringLiteral("Material_Id"), 11u}});
    EXPECT_FALSE(child<QCheckBox>(&dialog, "chkEtchFromTop")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(&dialog, "chkEtchFromBelow")->isChecked());
    SimpleReactiveIonEtchingOperation op(&workspace);
    dialog.applyTo(op);
    const Core::Steps::ProcessData::Parameters &given = op.step().getParameters();
    EXPECT_EQ(given.value(QStringLiteral("EtchDirectionValue")).toInt(), 2);
    EXPECT_EQ(given.value(QStringLiteral("Etch Direction")).toString(), QStringLiteral("Bottom"));
    EXPECT_EQ(given.value(QStringLiteral("Etch Depth")).toUInt(), 3u);

    // Neither side is refused before the dialog closes, with the sentence a list or script gets.
    child<QCheckBox>(&dialog, "chkEtchFromBelow")->setChecked(false);
    EXPECT_EQ(dialog.refusal(), QStringLiteral("\"EtchDirectionValue\" must be 1 (top), 2 (bottom) or 3 (both), not 0."));
}

TEST(ColumnProcessRegistration, FactoryKnowsEveryNumber)
{
    const QList<int> known = Ui::OperationFactory::knownNumbers();
    for (int number : {18, 19, 20, 22, 23, 30, 34, 35})
        EXPECT_TRUE(known.contains(number)) << number;
}
