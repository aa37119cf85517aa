// The frequency plan window with the main window: made on first use, following every change, and
// its clicks, drags and aids reaching the fields, the undo steps and the files.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <string>

#include "core/frequency_plan.h"
#include "tests/ui/support_form.h"
#include "ui/plan_canvas.h"
#include "ui/plan_window.h"

namespace {

class PlanTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        ShowForm();
    }
    TPlanWindow* Plan() {
        Click(W<QPushButton>("PlanButton"));
        return form_->PlanWindow();
    }
    int Steps() const { return form_->UndoStack()->count(); }
    void Mouse(QWidget* canvas, QEvent::Type type, QPointF at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, canvas->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &event);
    }
    template <class T>
    T* P(const QString& name) {
        return Find<T>(*form_->PlanWindow(), name);
    }
};

TEST_F(PlanTest, MadeOnFirstUseAndFollowsEveryChange) {
    EXPECT_EQ(form_->PlanWindow(), nullptr);
    TPlanWindow* plan = Plan();
    ASSERT_NE(plan, nullptr);
    EXPECT_TRUE(plan->isVisible());
    EXPECT_EQ(plan->Plan().adcs[0].channels[0].nco, 10700000.0f);

    TypeThenEnter(W<QLineEdit>("Edit1"), "20000000");
    EXPECT_EQ(plan->Plan().adcs[0].channels.back().nco, 20000000.0f);
    form_->UndoStep();
    EXPECT_EQ(plan->Plan().adcs[0].channels[0].nco, 10700000.0f);
    EXPECT_EQ(Plan(), plan);  // the same window again
}

TEST_F(PlanTest, ADragIsOneUndoStepAndReachesTheFieldAndTheFile) {
    TPlanCanvas* canvas = Plan()->Canvas();
    const int before = Steps();
    const QPointF start = canvas->MarkerRect(0).center();
    Mouse(canvas, QEvent::MouseButtonPress, start, Qt::LeftButton);
    for (int dx = 20; dx <= 200; dx += 20) {
        Mouse(canvas, QEvent::MouseMove, start + QPointF(dx, 0), Qt::LeftButton);
    }
    // Each move retunes the channel at once.
    const float moved = form_->Settings.FrequencyNCO[0];
    EXPECT_GT(moved, 10700000.0f);
    Mouse(canvas, QEvent::MouseButtonRelease, start + QPointF(200, 0), Qt::NoButton);

    EXPECT_EQ(Steps(), before + 1);
    EXPECT_EQ(form_->Settings.FrequencyNCO[0], moved);
    EXPECT_EQ(W<QLineEdit>("Edit1")->text(), QString::number(static_cast<double>(moved), 'f', 0));
    Click(W<QPushButton>("Button9"));
    const std::string line =
        "\r\nFrequencyNCO0= " + std::to_string(static_cast<long long>(moved)) + ".0\t;";
    EXPECT_TRUE(ReadBytes(Path("exam_ddc.ini")).contains(line.c_str())) << line;

    // Ctrl+Z in the plan window.
    ActivateWindow(*form_->PlanWindow());
    QTest::keyClick(form_->PlanWindow(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form_->Settings.FrequencyNCO[0], 10700000.0f);
    EXPECT_EQ(W<QLineEdit>("Edit1")->text(), "10700000");
    EXPECT_EQ(TakeMessages(), QStringList());
}

TEST_F(PlanTest, AClickFocusesTheChannelsField) {
    TPlanCanvas* canvas = Plan()->Canvas();
    const QPointF at = canvas->MarkerRect(6).center();
    Mouse(canvas, QEvent::MouseButtonPress, at, Qt::LeftButton);
    Mouse(canvas, QEvent::MouseButtonRelease, at, Qt::NoButton);
    QCoreApplication::processEvents();
    // The field the main window gives the focus to once the window manager activates it.
    EXPECT_EQ(form_->focusWidget(), W<QLineEdit>("Edit7"));
    EXPECT_EQ(W<QLineEdit>("Edit7")->selectedText(), "10700006");
}

TEST_F(PlanTest, AidsAreOneStepThroughTheEditingRule) {
    Plan();
    P<QCheckBox>("PlanChannel1")->setChecked(true);
    P<QCheckBox>("PlanChannel3")->setChecked(true);
    P<QLineEdit>("PlanRf")->setText(QString::fromUtf8("130 МГц"));
    const int before = Steps();
    P<QPushButton>("PlanRfApply")->click();
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_EQ(form_->Settings.FrequencyNCO[1], 30e6f);
    EXPECT_EQ(form_->Settings.FrequencyNCO[3], 30e6f);
    EXPECT_EQ(W<QLineEdit>("Edit4")->text(), "30000000");

    // 1e38 + 3 * 1.2e38 is beyond single precision: the rule refuses and nothing is kept.
    P<QLineEdit>("PlanSpreadStart")->setText(QStringLiteral("1e38"));
    P<QLineEdit>("PlanSpreadStep")->setText(QStringLiteral("1.2e38"));
    P<QCheckBox>("PlanChannel5")->setChecked(true);
    P<QCheckBox>("PlanChannel7")->setChecked(true);
    P<QPushButton>("PlanSpreadApply")->click();
    EXPECT_EQ(TakeMessages(), QStringList{"Floating point overflow."});
    EXPECT_EQ(form_->Settings.FrequencyNCO[1], 30e6f);
    EXPECT_EQ(Steps(), before + 1);
}

// The program's event loop ends when the main window closes, though the plan window is open.
TEST_F(PlanTest, ClosingTheMainWindowEndsTheProgramWithThePlanOpen) {
    Plan();
    QTimer::singleShot(0, form_.get(), [this] { form_->close(); });
    bool timedOut = false;
    QTimer::singleShot(3000, qApp, [&] {
        timedOut = true;
        QCoreApplication::quit();
    });
    QApplication::exec();
    EXPECT_FALSE(timedOut);
}

}  // namespace
