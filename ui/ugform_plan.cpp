// The frequency plan window beside the main one: made on its button's first use, shown the
// settings after every refresh, and its requests run through the editing rules as handler runs
// (one undo step each; a drag is one step from its first move to its release).
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <charconv>
#include <string>
#include <utility>
#include <vector>

#include "core/editing_rules.h"
#include "ui/plan_window.h"
#include "ui/ugform.h"
#include "ui/ugform_internal.h"

using namespace ugform;

namespace {

// The editing rules take text: the shortest text that reads back as the same number.
std::string RuleText(double frequency) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, frequency);
    return std::string(buffer, result.ptr);
}

}  // namespace

QPushButton* TGForm::BuildPlanButton() {
    auto* button = new QPushButton(Text("План частот…"));
    button->setObjectName(QStringLiteral("PlanButton"));
    QFont bold = font();  // as the window's other buttons
    bold.setBold(true);
    button->setFont(bold);
    button->setToolTip(Text("Каналы на оси частот по АЦП: перекрытия, гармоники, настройка NCO"));
    button->setAccessibleName(Text("Открыть план частот"));
    // clicked: a user's press only, never the program.
    connect(button, &QPushButton::clicked, this, [this] { ShowPlanWindow(); });
    return button;
}

TPlanWindow* TGForm::ShowPlanWindow() {
    if (planWindow_ == nullptr) {
        planWindow_ = new TPlanWindow(this);
        connect(planWindow_, &TPlanWindow::channelClicked, this, &TGForm::FocusChannelFrequency);
        connect(planWindow_, &TPlanWindow::channelDragged, this,
                [this](int channel, double frequency) { PlanRetune(channel, frequency, false); });
        connect(planWindow_, &TPlanWindow::channelDropped, this,
                [this](int channel, double frequency) { PlanRetune(channel, frequency, true); });
        connect(planWindow_, &TPlanWindow::frequenciesRequested, this, &TGForm::PlanFrequencies);
        // Undo and redo keys work there too: a drag is undone where it was made.
        for (const char* name : {"UndoAction", "RedoAction"}) {
            if (auto* action = findChild<QAction*>(QString::fromLatin1(name))) {
                planWindow_->addAction(action);
            }
        }
        planWindow_->Show(Settings);
    }
    planWindow_->show();
    planWindow_->raise();
    planWindow_->activateWindow();
    return planWindow_;
}

void TGForm::ShowPlan() {
    if (planWindow_ != nullptr) {
        planWindow_->Show(Settings);
    }
}

void TGForm::FocusChannelFrequency(int channel) {
    if (channel < 0 || channel >= kDdcChannels) {
        return;
    }
    QLineEdit* edit = EditOf(ControlTable[72 + channel]);
    activateWindow();
    raise();
    if (scrollArea_ != nullptr) {
        scrollArea_->ensureWidgetVisible(edit);
    }
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void TGForm::PlanRetune(int channel, double frequency, bool final) {
    // The drag's first move opens a handler run that its release closes: one step in all.
    if (!planDragOpen_) {
        planDragOpen_ = true;
        if (handlerDepth_++ == 0) {
            planDragOutermost_ = true;
            BeginHandlerRun();
        }
    }
    RunHandler([&] {
        SetChannelFrequency(Settings, channel, RuleText(frequency), '.');
        UpdateAndRefresh();
    });
    if (final) {
        planDragOpen_ = false;
        --handlerDepth_;
        if (std::exchange(planDragOutermost_, false)) {
            EndHandlerRun(true);
        }
    }
}

void TGForm::PlanFrequencies(const std::vector<NcoValue>& values) {
    RunHandler([&] {
        // All or nothing: the rule refuses one value before any is kept.
        TSettings next = Settings;
        for (const NcoValue& value : values) {
            SetChannelFrequency(next, value.channel, RuleText(value.frequency), '.');
        }
        Settings = next;
        UpdateAndRefresh();
    });
}
