// "План частот": a window beside the main one showing the sixteen channels against the clock,
// with the plan's own options and two tuning aids.
//
// It changes no settings itself: it is shown the settings after every change (Show) and reports
// what the user asks for through its signals, which the main window runs through its editing rules.
#pragma once

#include <QSettings>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/frequency_plan.h"
#include "core/settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TPlanCanvas;

class TPlanWindow : public QWidget {
    Q_OBJECT

  public:
    // `remembered` keeps the plan's options between runs; the user's own settings store when
    // none is given. The options never go into the settings files.
    explicit TPlanWindow(QWidget* parent = nullptr, std::unique_ptr<QSettings> remembered = {});
    ~TPlanWindow() override;

    // The settings to show; the plan is worked out again at once.
    void Show(const TSettings& settings);

    const FrequencyPlan& Plan() const { return plan_; }
    const PlanOptions& Options() const { return options_; }
    TPlanCanvas* Canvas() const { return canvas_; }

  signals:
    // A click on channel's marker.
    void channelClicked(int channel);
    // A marker dragged: while it moves, then once where it was let go.
    void channelDragged(int channel, double frequency);
    void channelDropped(int channel, double frequency);
    // A tuning aid's new NCOs, to be set together.
    void frequenciesRequested(const std::vector<NcoValue>& values);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void BuildWindow();
    void LoadOptions();
    void SaveOptions();
    void ShowOptions();
    void Replan();
    void BandwidthEdited();
    void ZoneChosen();
    void TuneToRf();
    void Spread();
    uint32_t TickedChannels() const;
    // The typed frequency, or nothing after saying why it is refused.
    std::optional<double> TypedFrequency(QLineEdit* edit);
    void Refuse(const QString& message);
    QChar DecimalSeparator() const;

    std::unique_ptr<QSettings> remembered_;
    TSettings settings_;
    PlanOptions options_;
    FrequencyPlan plan_;

    TPlanCanvas* canvas_ = nullptr;
    QLineEdit* bandwidth_ = nullptr;
    QComboBox* zone_ = nullptr;
    QLabel* summary_ = nullptr;
    std::array<QCheckBox*, kDdcChannels> ticks_{};
    QLineEdit* rf_ = nullptr;
    QPushButton* rfApply_ = nullptr;
    QLabel* rfResult_ = nullptr;
    QLineEdit* spreadStart_ = nullptr;
    QLineEdit* spreadStep_ = nullptr;
    QPushButton* spreadApply_ = nullptr;
};
