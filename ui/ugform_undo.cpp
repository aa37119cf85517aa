// Undo and redo of settings changes: each handler run that changed Settings is one step, holding
// the whole record before and after (the record is a plain value, so a snapshot is simpler and
// safer than an inverse for every editing rule).
#include <QAction>
#include <QKeySequence>
#include <QUndoCommand>
#include <QUndoStack>
#include <functional>
#include <utility>

#include "ui/ugform.h"

namespace {

// Far more than a day's edits need; a step holds two records of well under a kilobyte each.
constexpr int kUndoLimit = 1000;

class TSettingsStep : public QUndoCommand {
  public:
    using Restorer = std::function<void(const TSettings&)>;
    TSettingsStep(Restorer restore, const TSettings& before, const TSettings& after)
        : restore_(std::move(restore)), before_(before), after_(after) {}

    void undo() override { restore_(before_); }
    void redo() override {
        // The first redo comes from push(), when the handler has already made the change.
        if (pushed_) {
            restore_(after_);
        }
        pushed_ = true;
    }

  private:
    const Restorer restore_;
    const TSettings before_;
    const TSettings after_;
    bool pushed_ = false;
};

}  // namespace

void TGForm::SetUpUndo() {
    undoStack_ = new QUndoStack(this);
    undoStack_->setUndoLimit(kUndoLimit);

    auto* undo = new QAction(this);
    undo->setObjectName(QStringLiteral("UndoAction"));
    undo->setShortcuts(QKeySequence::Undo);
    connect(undo, &QAction::triggered, this, &TGForm::UndoStep);
    addAction(undo);

    // Ctrl+Y redoes as well, where the platform's redo keys do not already include it.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    const QKeySequence ctrlY(Qt::CTRL | Qt::Key_Y);
    if (!redoKeys.contains(ctrlY)) {
        redoKeys.append(ctrlY);
    }
    auto* redo = new QAction(this);
    redo->setObjectName(QStringLiteral("RedoAction"));
    redo->setShortcuts(redoKeys);
    connect(redo, &QAction::triggered, this, &TGForm::RedoStep);
    addAction(redo);
}

void TGForm::UndoStep() {
    // Typed text not yet taken is the newest change: dropping it is this press's whole work.
    if (DropUnconfirmedText()) {
        return;
    }
    undoStack_->undo();
}

void TGForm::RedoStep() {
    if (DropUnconfirmedText()) {
        return;
    }
    undoStack_->redo();
}

void TGForm::BeginHandlerRun() {
    settingsBeforeRun_ = std::make_unique<TSettings>(Settings);
}

void TGForm::EndHandlerRun(bool succeeded) {
    const std::unique_ptr<TSettings> before = std::move(settingsBeforeRun_);
    // A handler that stopped half-way (a harvest at a text that does not convert) may still have
    // taken the fields before it: that is a change like any other.
    if (before != nullptr && !(*before == Settings)) {
        undoStack_->push(new TSettingsStep(
            [this](const TSettings& record) { RestoreSettings(record); }, *before, Settings));
    }
    ConfirmShownTexts(succeeded);
    // Whatever the handler redrew or not (the clock value redraws nothing), the findings and the
    // unwritten mark follow the settings as they now are.
    ShowFindings();
    ShowIniPending();
}

void TGForm::RestoreSettings(const TSettings& record) {
    // The acquisition program's own values are the file's as last read, not the step's.
    const int32_t bufferSize = Settings.DirFileBufSize;
    const double internalClock = Settings.InternalClockValue;
    Settings = record;
    Settings.DirFileBufSize = bufferSize;
    Settings.InternalClockValue = internalClock;
    // Counted as a handler run, so that the clicks the refresh raises make no steps.
    struct Nested {
        int& depth;
        explicit Nested(int& d) : depth(++d) {}
        ~Nested() { --depth; }
    } nested(handlerDepth_);
    Refresh();
    ConfirmShownTexts(true);
}
