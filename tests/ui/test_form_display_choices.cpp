// What the window shows where a value has no control to show it: an ADC number outside 0..3, a
// sample count with no item, a recording size without a result, and a chosen path too long.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "tests/ui/support_form.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class DisplayChoiceTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        ShowForm();
    }
    // The channel number over column `channel` of the matrix.
    QLabel* MatrixHead(int channel) {
        const QPoint boxAt = MatrixBox(*form_, channel, 0)->mapTo(form_.get(), QPoint(0, 0));
        QLabel* nearest = nullptr;
        for (QLabel* label : form_->findChildren<QLabel*>()) {
            const QPoint at = label->mapTo(form_.get(), QPoint(0, 0));
            if (label->text() == QString::number(channel) && at.y() < boxAt.y() &&
                at.y() > boxAt.y() - 40 && std::abs(at.x() - boxAt.x()) < 20) {
                nearest = label;
            }
        }
        return nearest;
    }
};

TEST_F(DisplayChoiceTest, AdcNumberOutsideTheMatrixTicksNothingAndSaysWhy) {
    form_->Settings.InputSource[3] = 7;
    form_->Settings.DDCChannelMask = 0x0008;
    form_->UpdateAndRefresh();
    for (int j = 0; j < kAdcs; ++j) {
        EXPECT_FALSE(MatrixBox(*form_, 3, j)->isChecked()) << j;
    }
    // No ADC is in use, the first indicator keeps its tick as it always does.
    for (int j = 1; j < kAdcs; ++j) {
        EXPECT_FALSE(W<QCheckBox>(QStringLiteral("CheckBox%1").arg(65 + j))->isChecked()) << j;
    }
    EXPECT_EQ(form_->Settings.EnabledDdcCount, 1);
    QLabel* head = MatrixHead(3);
    ASSERT_NE(head, nullptr);
    EXPECT_TRUE(head->toolTip().contains("7")) << head->toolTip().toStdString();

    form_->Settings.InputSource[3] = 1;
    form_->UpdateAndRefresh();
    EXPECT_TRUE(MatrixBox(*form_, 3, 1)->isChecked());
    EXPECT_TRUE(head->toolTip().isEmpty());
    EXPECT_FALSE(form_->Updating);
}

struct SamplesCase {
    int32_t samples;
    int item;
    const char* field;
};

// clang-format off
const SamplesCase kSamplesCases[] = {
    {1024,  0,  " 1024"},
    {3000,  -1, "3000"},    // between items: its number, no item
    {16384, 4,  "16384"},
    {512,   -1, "512"},     // below the list: its number, no item
    {0,     -1, "0"},
    {32768, -1, "32768"},   // above the list likewise
    {-1,    -1, "-1"},
};
// clang-format on

TEST_F(DisplayChoiceTest, SampleCountWithoutAnItemShowsItsNumber) {
    auto* combo = W<QComboBox>("ComboBox6");
    for (const SamplesCase& c : kSamplesCases) {
        form_->Settings.SamplesPerChannel = c.samples;
        form_->UpdateAndRefresh();
        EXPECT_EQ(combo->currentIndex(), c.item) << c.samples;
        EXPECT_EQ(combo->currentText(), c.field) << c.samples;
        if (c.item >= 0) {
            form_->Settings.SamplesPerChannel = 0;
            form_->UpdateAndRefresh();  // leave the item, so the next row starts from no selection
        }
    }
}

TEST_F(DisplayChoiceTest, TypedSampleCountStaysAsTypedUntilConfirmed) {
    auto* combo = W<QComboBox>("ComboBox6");
    TypeIntoCombo(combo, "5");
    EXPECT_EQ(form_->Settings.SamplesPerChannel, 1024);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(combo->currentText(), "5");
}

struct NoSizeCase {
    const char* name;
    void (*set)(TSettings&);
    const char* shown;
};

// clang-format off
const NoSizeCase kNoSizeCases[] = {
    {"no channel",     [](TSettings& s) { s.DDCChannelMask = 0; },                "нет каналов"},
    {"no ADC channel", [](TSettings& s) { s.EnableDDC = 0; s.ChannelMask = 0; }, "нет каналов"},
    {"no buffer",      [](TSettings& s) { s.DirFileBufSize = 0; },                "нет буфера"},
    {"negative",       [](TSettings& s) { s.DirSamplesPerChannel = -5; },         "меньше нуля"},
    {"too large",      [](TSettings& s) { s.DirSamplesPerChannel = 2147483647; }, "слишком много"},
    {"unknown mode",   [](TSettings& s) { s.EnableDDC = 2; },                     "режим?"},
};
// clang-format on

TEST_F(DisplayChoiceTest, RecordingSizeWithoutAResultSaysWhy) {
    for (const NoSizeCase& c : kNoSizeCases) {
        SCOPED_TRACE(c.name);
        form_->Settings = TSettings{};
        c.set(form_->Settings);
        form_->UpdateAndRefresh();
        for (const char* name : {"Edit25", "Edit20"}) {
            auto* edit = W<QLineEdit>(name);
            EXPECT_EQ(edit->text(), U(c.shown)) << name;
            EXPECT_FALSE(edit->toolTip().isEmpty()) << name;
        }
        EXPECT_FALSE(form_->Updating);
    }
    // With a result again, the numbers and only the field's own description as its tip.
    form_->Settings = TSettings{};
    form_->UpdateAndRefresh();
    EXPECT_EQ(W<QLineEdit>("Edit25")->text(), "65536");
    EXPECT_EQ(W<QLineEdit>("Edit20")->text(), "8192");
    EXPECT_EQ(W<QLineEdit>("Edit20")->toolTip(),
              W<QLineEdit>("Edit20")->property("plainToolTip").toString());
}

TEST_F(DisplayChoiceTest, ChosenPathTooLongForTheSettingIsRefused) {
    const QString folder(200, QChar(u'd'));
    MakeDir(folder);
    const QString path = Path(folder + "/" + QString(100, QChar(u'f')) + ".bin");
    modals_->AcceptNextDialog("SaveDialog1", path);
    Click(W<QPushButton>("Button10"));
    modals_->TakeFileDialogs();
    const QStringList messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("longer than 255")) << messages[0].toStdString();
    EXPECT_EQ(form_->Settings.DirFileName, "exam.bin");
    EXPECT_EQ(W<QLineEdit>("Edit21")->text(), "exam.bin");
    EXPECT_EQ(QDir::currentPath(), QDir(Path("")).absolutePath());
}

}  // namespace
