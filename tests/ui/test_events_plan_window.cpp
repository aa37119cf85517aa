// The frequency plan window on its own: where its markers go, what a click and a drag report, the
// tuning aids' requests and refusals, and its options kept between runs.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <memory>
#include <vector>

#include "tests/ui/support_form.h"
#include "ui/plan_canvas.h"
#include "ui/plan_window.h"

namespace {

class PlanWindowTest : public ScratchDirTest {
  protected:
    void SetUp() override {
        ScratchDirTest::SetUp();
        // Only channels 0 to 3, one on each ADC; channel 2 off, channel 3 beyond half the clock.
        settings_.DDCChannelMask = 0b1011;
        settings_.FrequencyNCO[0] = 10e6f;
        settings_.FrequencyNCO[1] = 30e6f;
        settings_.FrequencyNCO[2] = 20e6f;
        settings_.FrequencyNCO[3] = 70e6f;
        settings_.InputSource[4] = 9;  // disabled, on no ADC
        Open();
    }

    void Open() {
        window_ = std::make_unique<TPlanWindow>(
            nullptr, std::make_unique<QSettings>(Path("plan.ini"), QSettings::IniFormat));
        window_->resize(1000, 600);
        window_->show();
        window_->Show(settings_);
        QCoreApplication::processEvents();
        QObject::connect(window_.get(), &TPlanWindow::channelClicked,
                         [this](int c) { clicked_.push_back(c); });
        QObject::connect(window_.get(), &TPlanWindow::channelDragged, [this](int c, double f) {
            dragged_.push_back({c, f});
        });
        QObject::connect(window_.get(), &TPlanWindow::channelDropped, [this](int c, double f) {
            dropped_.push_back({c, f});
        });
        QObject::connect(window_.get(), &TPlanWindow::frequenciesRequested,
                         [this](const std::vector<NcoValue>& v) { requested_.push_back(v); });
    }

    template <class T>
    T* W(const QString& name) {
        return Find<T>(*window_, name);
    }
    TPlanCanvas* Canvas() { return window_->Canvas(); }
    double Pixel() { return Canvas()->FrequencyAt(1) - Canvas()->FrequencyAt(0); }

    void Mouse(QEvent::Type type, QPointF at, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent event(type, at, Canvas()->mapToGlobal(at), Qt::LeftButton, held, modifiers);
        QCoreApplication::sendEvent(Canvas(), &event);
    }
    // Press on the channel's marker, move by `dx` in `steps`, release.
    void Drag(int channel, double dx, int steps, Qt::KeyboardModifiers modifiers = {}) {
        const QPointF start = Canvas()->MarkerRect(channel).center();
        Mouse(QEvent::MouseButtonPress, start, Qt::LeftButton, modifiers);
        for (int i = 1; i <= steps; ++i) {
            Mouse(QEvent::MouseMove, start + QPointF(dx * i / steps, 0), Qt::LeftButton, modifiers);
        }
        Mouse(QEvent::MouseButtonRelease, start + QPointF(dx, 0), Qt::NoButton, modifiers);
    }
    void Type(const QString& field, const QString& text) {
        // As typed (QTest types ASCII only).
        QLineEdit* edit = W<QLineEdit>(field);
        edit->setText(text);
        edit->setModified(true);
    }
    QStringList Messages() {
        QStringList texts;
        for (const SeenMessageBox& box : modals_.TakeMessageBoxes()) {
            texts << box.text;
        }
        return texts;
    }

    TSettings settings_;
    ModalAnswerer modals_;
    std::unique_ptr<TPlanWindow> window_;
    std::vector<int> clicked_;
    std::vector<std::pair<int, double>> dragged_;
    std::vector<std::pair<int, double>> dropped_;
    std::vector<std::vector<NcoValue>> requested_;
};

TEST_F(PlanWindowTest, MarkersSitAtTheirNcoOnTheirAdcsLane) {
    TPlanCanvas* canvas = Canvas();
    const double pixel = Pixel();
    EXPECT_NEAR(pixel, 50e6 / 900, 5e3);  // the axis is half of the 100 MHz clock
    EXPECT_NEAR(canvas->FrequencyAt(canvas->MarkerRect(0).center().x()), 10e6, pixel);
    EXPECT_NEAR(canvas->FrequencyAt(canvas->MarkerRect(1).center().x()), 30e6, pixel);
    EXPECT_NEAR(canvas->FrequencyAt(canvas->MarkerRect(2).center().x()), 20e6, pixel);
    // 70 MHz is shown folded, at 30 MHz, and says so.
    EXPECT_NEAR(canvas->FrequencyAt(canvas->MarkerRect(3).center().x()), 30e6, pixel);
    for (int c = 1; c < 4; ++c) {
        EXPECT_GT(canvas->MarkerRect(c).top(), canvas->MarkerRect(c - 1).bottom()) << c;
    }
    EXPECT_TRUE(canvas->MarkerRect(4).isEmpty());
    EXPECT_FALSE(canvas->MarkerRect(5).isEmpty());  // disabled, hollow
    const QString tip = canvas->MarkerToolTip(3);
    for (const char* part : {"Канал 3, АЦП 3", "показан на 30 МГц", "зона 2: 70 МГц (инверсия)"}) {
        EXPECT_TRUE(tip.contains(QString::fromUtf8(part))) << part << tip.toStdString();
    }
    EXPECT_TRUE(canvas->MarkerToolTip(2).contains(QString::fromUtf8("выключен")));
    EXPECT_TRUE(W<QLabel>("PlanSummary")->text().contains(QString::fromUtf8("Перекрытий: 0")));

    // Every setting change is followed: channel 1 onto ADC 0 beside channel 0.
    settings_.InputSource[1] = 0;
    settings_.FrequencyNCO[1] = 10.1e6f;
    window_->Show(settings_);
    EXPECT_NEAR(canvas->MarkerRect(1).center().y(), canvas->MarkerRect(0).center().y() + 23, 1);
    EXPECT_TRUE(canvas->MarkerToolTip(0).contains(QString::fromUtf8("Перекрывается с каналом 1")));
    EXPECT_TRUE(W<QLabel>("PlanSummary")->text().contains(QString::fromUtf8("Перекрытий: 1")));

    // More channels at one place than a lane has rows: every marker stays in sight.
    for (int c = 0; c < kDdcChannels; ++c) {
        settings_.InputSource[c] = 0;
        settings_.FrequencyNCO[c] = 10e6f;
    }
    settings_.DDCChannelMask = 0xffff;
    window_->Show(settings_);
    for (int a = 0; a < kDdcChannels; ++a) {
        for (int b = a + 1; b < kDdcChannels; ++b) {
            EXPECT_FALSE(canvas->MarkerRect(a).intersects(canvas->MarkerRect(b))) << a << " " << b;
        }
    }
}

TEST_F(PlanWindowTest, ADragRetunesLiveThenOnceOnReleaseAndAClickChooses) {
    const double before = Canvas()->FrequencyAt(Canvas()->MarkerRect(0).center().x());
    Drag(0, 90, 6);
    ASSERT_EQ(dropped_.size(), 1u);
    EXPECT_GE(dragged_.size(), 3u);
    EXPECT_EQ(dropped_[0].first, 0);
    EXPECT_EQ(dropped_[0].second, dragged_.back().second);
    // 90 pixels, to a step of 1, 2 or 5 times a power of ten no smaller than a pixel.
    EXPECT_NEAR(dropped_[0].second - before, 90 * Pixel(), 0.1e6);
    EXPECT_TRUE(clicked_.empty());

    // Shift: twenty times slower, in finer steps.
    dragged_.clear();
    dropped_.clear();
    Drag(1, 90, 6, Qt::ShiftModifier);
    ASSERT_EQ(dropped_.size(), 1u);
    EXPECT_NEAR(dropped_[0].second - 30e6, 90 * Pixel() / 20, 0.01e6);

    dropped_.clear();
    Drag(2, 1, 1);  // within the drag distance: a click
    EXPECT_TRUE(dropped_.empty());
    EXPECT_EQ(clicked_, std::vector<int>{2});
}

TEST_F(PlanWindowTest, AidsRefuseBadTextAndAskForTheTickedChannels) {
    settings_.ClockSource = 1;  // 110 MHz
    window_->Show(settings_);
    W<QCheckBox>("PlanChannel2")->setChecked(true);
    W<QCheckBox>("PlanChannel5")->setChecked(true);

    Type("PlanRf", QString::fromUtf8("1O МГц"));
    W<QPushButton>("PlanRfApply")->click();
    EXPECT_EQ(Messages(),
              QStringList{QString::fromUtf8("'1O МГц' is not a valid floating point value.")});
    EXPECT_TRUE(requested_.empty());

    Type("PlanRf", QString::fromUtf8("150 МГц"));
    W<QPushButton>("PlanRfApply")->click();
    ASSERT_EQ(requested_.size(), 1u);
    EXPECT_EQ(requested_[0], (std::vector<NcoValue>{{2, 40e6}, {5, 40e6}}));
    EXPECT_EQ(W<QLabel>("PlanRfResult")->text(),
              QString::fromUtf8("NCO 40 МГц, зона 3, спектр прямой"));

    Type("PlanSpreadStart", QStringLiteral("1,5 MHz"));
    Type("PlanSpreadStep", QString::fromUtf8("250 кГц"));
    W<QPushButton>("PlanSpreadApply")->click();
    ASSERT_EQ(requested_.size(), 2u);
    EXPECT_EQ(requested_[1], (std::vector<NcoValue>{{2, 1.5e6}, {5, 1.75e6}}));

    Type("PlanSpreadStep", QStringLiteral("1.5,0"));
    W<QPushButton>("PlanSpreadApply")->click();
    W<QCheckBox>("PlanChannel2")->setChecked(false);
    W<QCheckBox>("PlanChannel5")->setChecked(false);
    W<QPushButton>("PlanRfApply")->click();
    EXPECT_EQ(Messages(),
              (QStringList{QStringLiteral("'1.5,0' is not a valid floating point value."),
                           QString::fromUtf8("Не отмечен ни один канал.")}));
    EXPECT_EQ(requested_.size(), 2u);
}

TEST_F(PlanWindowTest, OptionsAreRememberedOutsideTheSettings) {
    Type("PlanBandwidth", QString::fromUtf8("25 МГц"));
    QTest::keyClick(W<QLineEdit>("PlanBandwidth"), Qt::Key_Return);
    EXPECT_EQ(window_->Options().channelBandwidth, 25e6);
    // Channels 1 and 3 both sit at 30 MHz on ADCs of their own; 10 and 30 MHz on ADC 0 now.
    settings_.InputSource[1] = 0;
    window_->Show(settings_);
    EXPECT_EQ(window_->Plan().adcs[0].overlaps.size(), 1u);
    QComboBox* zone = W<QComboBox>("PlanZone");
    zone->setCurrentIndex(zone->findData(2));
    emit zone->activated(zone->currentIndex());
    EXPECT_EQ(window_->Options().signalZone, 2);

    Type("PlanBandwidth", QStringLiteral("-1 kHz"));
    QTest::keyClick(W<QLineEdit>("PlanBandwidth"), Qt::Key_Return);
    EXPECT_EQ(Messages().size(), 1);
    EXPECT_EQ(window_->Options().channelBandwidth, 25e6);

    window_.reset();
    Open();
    EXPECT_EQ(window_->Options(), (PlanOptions{25e6, 2, 4}));
    EXPECT_EQ(W<QLineEdit>("PlanBandwidth")->text(), QString::fromUtf8("25 МГц"));
    EXPECT_EQ(W<QComboBox>("PlanZone")->currentData().toInt(), 2);
    EXPECT_EQ(QDir(scratch_.path()).entryList(QDir::Files), QStringList{"plan.ini"});
}

}  // namespace
