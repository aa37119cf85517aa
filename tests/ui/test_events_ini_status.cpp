// What the window says about exam_ddc.ini: the mark beside its write button while the settings
// differ from the file, and the line after a write.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/ui/support_form.h"

namespace {

class IniStatusTest : public FormTest {
  protected:
    bool Pending() { return !W<QLabel>("IniPending")->isHidden(); }
    QString Status() { return W<QLabel>("IniStatus")->text(); }
};

TEST_F(IniStatusTest, TheMarkFollowsTheFileAndTheLineCountsTheChangedValues) {
    WriteBytes(Path("exam_ddc.ini"), Fixture("exam_ddc_in.ini"));
    ShowForm();
    EXPECT_TRUE(Pending());
    EXPECT_EQ(Status(), QString());

    Click(W<QPushButton>("Button9"));
    EXPECT_FALSE(Pending());
    EXPECT_TRUE(Status().startsWith(QString::fromUtf8("exam_ddc.ini записан: изменено значений: ")))
        << Status().toStdString();
    EXPECT_NE(Status(), QString::fromUtf8("exam_ddc.ini записан: изменено значений: 0"));

    Click(W<QPushButton>("Button9"));
    EXPECT_EQ(Status(), QString::fromUtf8("exam_ddc.ini записан: все значения уже были такими"));

    Click(W<QPushButton>("Button6"));  // only channel 0: the file no longer holds the settings
    EXPECT_TRUE(Pending());
    QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(Pending());

    // A change of the file behind the window's back shows at the next refresh.
    WriteBytes(Path("exam_ddc.ini"), Fixture("exam_ddc_in.ini") + "\r\n; edited by hand\r\n");
    form_->UpdateAndRefresh();
    EXPECT_TRUE(Pending());
}

TEST_F(IniStatusTest, AMissingFileIsPendingAndOneChangedValueIsCounted) {
    ShowForm();
    EXPECT_TRUE(Pending());
    Click(W<QPushButton>("Button9"));
    EXPECT_FALSE(Pending());

    Click(W<QPushButton>("Button6"));
    Click(W<QPushButton>("Button9"));
    // Only channel 0 enabled: the channel mask and the recording size follow.
    EXPECT_TRUE(
        Status().startsWith(QString::fromUtf8("exam_ddc.ini записан: изменено значений: ")));
    EXPECT_FALSE(Pending());
}

}  // namespace
