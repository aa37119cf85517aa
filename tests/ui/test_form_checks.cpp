// Pre-flight findings in the window: frames and tooltips that come and go with the values, the
// findings list, and the descriptions every control carries.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/ui/support_form.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString FindingOf(QWidget* control) {
    return control->property("finding").toString();
}

// A working folder where the defaults give no finding once 16-bit data is chosen.
class ChecksTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        WriteBytes(Path("exam_ddc.ini"),
                   "[Option]\r\nDirFileBufSize= 4096\t\t;KB\r\n[device0_tessaro0]\r\n"
                   "InternalClockValue= 100000000.0\t;Hz\r\n");
        WriteBytes(Path("IsGsm.prg"), "program");
        ShowForm();
        Click(W<QRadioButton>("RadioButton3"));
        list_ = W<QListWidget>("FindingsList");
    }
    QStringList Lines() const {
        QStringList lines;
        for (int i = 0; i < list_->count(); ++i) {
            lines << list_->item(i)->text();
        }
        return lines;
    }
    QListWidget* list_ = nullptr;
};

TEST_F(ChecksTest, FrameAndTooltipFollowAValueAcrossItsLimit) {
    auto* edit = W<QLineEdit>("Edit6");
    const QString plain = edit->property("plainToolTip").toString();
    EXPECT_TRUE(plain.endsWith(U(" - FrequencyNCO5"))) << plain.toStdString();
    EXPECT_EQ(Lines(), QStringList{U("Замечаний нет")});
    EXPECT_EQ(edit->toolTip(), plain);

    TypeThenEnter(edit, "50000004");
    EXPECT_EQ(FindingOf(edit), "warning");
    const QString text =
        U("Частота NCO канала 5 (50000004 Гц) вне диапазона 0 ... 50000000 Гц (половина тактовой "
          "частоты)");
    EXPECT_EQ(edit->toolTip(), text);
    EXPECT_EQ(Lines(), QStringList{text});
    EXPECT_EQ(FindingOf(W<QLineEdit>("Edit5")), "");

    TypeThenEnter(edit, "50000000");
    EXPECT_EQ(FindingOf(edit), "");
    EXPECT_EQ(edit->toolTip(), plain);
    EXPECT_EQ(Lines(), QStringList{U("Замечаний нет")});
}

TEST_F(ChecksTest, ListFollowsTheSettingsAndLeadsToTheControl) {
    form_->Settings.MasterMode = 7;
    form_->Settings.InputSource[3] = 5;
    form_->UpdateAndRefresh();
    ASSERT_EQ(list_->count(), 2);
    EXPECT_EQ(Lines()[0], U("Канал DDC 3 подключён к несуществующему АЦП 5 (есть АЦП 0...3)"));
    EXPECT_EQ(Lines()[1], U("Мастер режим: значения 7 окно не предлагает (возможно: 0, 1, 2)"));
    EXPECT_EQ(FindingOf(W<QComboBox>("ComboBox4")), "error");
    for (int j = 0; j < kAdcs; ++j) {
        EXPECT_EQ(FindingOf(MatrixBox(*form_, 3, j)), "error");
    }

    QWidget* viewport = list_->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, list_->visualItemRect(list_->item(1)).center());
    EXPECT_TRUE(W<QComboBox>("ComboBox4")->hasFocus());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, list_->visualItemRect(list_->item(0)).center());
    EXPECT_TRUE(MatrixBox(*form_, 3, 0)->hasFocus());

    // Choosing an offered item clears the finding at once.
    ChooseComboItem(W<QComboBox>("ComboBox4"), 2);
    EXPECT_EQ(FindingOf(W<QComboBox>("ComboBox4")), "");
    EXPECT_EQ(list_->count(), 1);
}

// In an empty folder the window starts with a finding longer than its list: each row is cut at
// the list's edge (the tooltip holds it whole), and the list never scrolls sideways.
TEST_F(FormTest, LongFindingsAreCutAtTheListsEdge) {
    ShowForm();
    QCoreApplication::processEvents();
    auto* list = W<QListWidget>("FindingsList");
    ASSERT_GE(list->count(), 2);
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
    for (int i = 0; i < list->count(); ++i) {
        EXPECT_EQ(list->item(i)->toolTip(), list->item(i)->text()) << i;
    }
}

// The reason a recording size has no result stays in the tooltip beside the description; a finding
// replaces both while it stands.
TEST_F(ChecksTest, RecordingSizeReasonAndFindingShareTheTooltip) {
    auto* size = W<QLineEdit>("Edit20");
    const QString plain = size->property("plainToolTip").toString();
    ASSERT_FALSE(plain.isEmpty());
    form_->Settings.WorkMode = 0;
    form_->Settings.DirFileBufSize = 0;
    form_->UpdateAndRefresh();
    EXPECT_EQ(size->toolTip(),
              plain + u'\n' + U("В exam_ddc.ini не задан размер буфера (DirFileBufSize)"));
    EXPECT_EQ(FindingOf(size), "");

    form_->Settings.WorkMode = 1;
    form_->UpdateAndRefresh();
    EXPECT_EQ(FindingOf(size), "error");
    EXPECT_EQ(size->toolTip(), U("Размер буфера в exam_ddc.ini (DirFileBufSize) равен 0: в файл "
                                 "инициализации попадёт 0 буферов"));

    form_->Settings.DirFileBufSize = 4096;
    form_->UpdateAndRefresh();
    EXPECT_EQ(size->toolTip(), plain);
    EXPECT_EQ(FindingOf(size), "");
}

// Typed values that single precision cannot keep: on the channel typed into, and on every channel
// the common frequency was applied to.
TEST_F(ChecksTest, TypedFrequencyKeptAsAnotherValue) {
    auto* edit = W<QLineEdit>("Edit1");
    TypeThenEnter(edit, "16777217");
    EXPECT_EQ(FindingOf(edit), "warning");
    EXPECT_EQ(edit->toolTip(), U("Частота NCO канала 0: введено 16777217 Гц, сохранено 16777216 "
                                 "Гц (одинарная точность)"));
    TypeThenEnter(edit, "16777216");
    EXPECT_EQ(FindingOf(edit), "");

    TypeText(W<QLineEdit>("Edit17"), "33554435");
    Click(W<QPushButton>("Button7"));
    EXPECT_EQ(FindingOf(W<QLineEdit>("Edit17")), "warning");
    for (int n = 1; n <= kDdcChannels; ++n) {
        EXPECT_EQ(FindingOf(W<QLineEdit>(QStringLiteral("Edit%1").arg(n))), "warning") << n;
    }
    // And on each ADC three channels repeat the first one's NCO.
    EXPECT_EQ(list_->count(), kDdcChannels + 1 + 3 * kAdcs);
}

TEST_F(ChecksTest, EveryControlHasAnAccessibleNameAndATooltip) {
    int controls = 0;
    for (QWidget* w : form_->findChildren<QWidget*>()) {
        const bool control =
            qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QAbstractItemView*>(w) ||
            (qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parent()));
        if (!control || w->window() != form_.get()) {
            continue;
        }
        ++controls;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        EXPECT_FALSE(w->toolTip().isEmpty()) << w->objectName().toStdString();
    }
    EXPECT_GE(controls,
              89 + 25 + 6 + 12 + 13 + 1);  // boxes, edits, lists, radios, buttons, findings

    EXPECT_EQ(W<QLineEdit>("Edit6")->accessibleName(), U("Частота NCO, канал 5"));
    EXPECT_EQ(MatrixBox(*form_, 7, 2)->accessibleName(), U("Канал DDC 7, АЦП 2"));
    const bool russian = QLocale().language() == QLocale::Russian;
    const QString undo =
        russian ? U("Ctrl+Z отменяет изменение, Ctrl+Shift+Z или Ctrl+Y возвращает его")
                : U("Ctrl+Z undoes a change, Ctrl+Shift+Z or Ctrl+Y redoes it");
    EXPECT_EQ(W<QLineEdit>("Edit23")->toolTip().count(undo), 1);
    // Tooltips speak the desktop's language, from the settings catalogue: meaning with the range,
    // unit, file key.
    EXPECT_EQ(W<QLineEdit>("Edit6")->toolTip(),
              russian ? U("Частота NCO канала DDC 5, 0 ... тактовая/2 (Гц) - FrequencyNCO5")
                      : U("NCO frequency of DDC channel 5, 0 ... clock/2 (Hz) - FrequencyNCO5"));
    EXPECT_EQ(W<QComboBox>("ComboBox4")->toolTip(),
              russian ? U("Мастер режим: SLAVE, SINGLE или MASTER, 0, 1 или 2 - MasterMode")
                      : U("Master mode: slave, single or master, 0, 1 or 2 - MasterMode"));

    int buddies = 0;
    for (QLabel* label : form_->findChildren<QLabel*>()) {
        buddies += label->window() == form_.get() && label->buddy() != nullptr;
    }
    EXPECT_EQ(buddies, 17);
    for (QLabel* label : form_->findChildren<QLabel*>()) {
        if (label->text() == U("Порог компаратора")) {
            EXPECT_EQ(label->buddy(), W<QLineEdit>("Edit24"));
        }
    }
}

}  // namespace
