// The main window: its making, its lifecycle and the one place that runs every handler.
#include "ui/ugform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QUndoStack>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <bit>
#include <cmath>
#include <exception>
#include <tuple>
#include <utility>
#include <vector>

#include "core/choice_text.h"
#include "core/editing_rules.h"
#include "core/errors.h"
#include "core/number_text.h"
#include "core/recording_size.h"
#include "files/config_file.h"
#include "files/ini_file.h"
#include "files/session.h"
#include "ui/error_display.h"
#include "ui/number_display.h"
#include "ui/ugform_internal.h"

using namespace ugform;

TGForm* GForm = nullptr;

TGForm::TGForm(QWidget* parent) : QWidget(parent) {
    setWindowTitle(Text(" Мастер TESSARO"));
    setFont(QFont(QStringLiteral("Sans Serif"), 8));
    FormCreate(this);
    FitToScreen();
}

TGForm::~TGForm() {
    // The controls go before the window does: no focus change may reach the scrolling page then.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    // Nor may the filter that holds the input after a refusal: it calls back into this window,
    // and deleting the controls sends events through it.
    if (inputHold_ != nullptr) {
        qApp->removeEventFilter(inputHold_);
        delete inputHold_;
        inputHold_ = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// Wiring. Check boxes use `toggled` and radio buttons `toggled(true)`, so that a change from the
// program outside a refresh raises the handler as a click does; combo boxes use `activated` for a
// choice from the list, the arrow keys or the wheel, and the event filter for typed text; edits the
// event filter, so that the program's own setCurrentIndex() and setText() raise nothing.

void TGForm::WireControls() {
    // A box the refresh itself ticks or clears raises nothing: every handler ignores the refresh's
    // own changes, and a refresh outside a handler (files changed on disk) would otherwise work out
    // the findings and the mark again for each box it sets.
    auto onToggle = [this](QAbstractButton* b, Handler handler, bool onlyWhenTicked) {
        connect(b, &QAbstractButton::toggled, this, [=, this](bool ticked) {
            if (Updating) {
                return;
            }
            if (ticked || !onlyWhenTicked) {
                RunHandler([=, this] { (this->*handler)(b); });
            }
        });
    };
    for (int n = 1; n <= 64; ++n) {
        onToggle(checkBox_[n], &TGForm::CheckBox1Click, false);
    }
    for (int n = 69; n <= 84; ++n) {
        onToggle(checkBox_[n], &TGForm::CheckBox69Click, false);
    }
    onToggle(checkBox_[85], &TGForm::RadioButton1Click, false);
    for (int n = 86; n <= 89; ++n) {
        onToggle(checkBox_[n], &TGForm::Edit17Exit, false);
    }

    // clang-format off
    const std::pair<int, Handler> radioHandlers[] = {
        {1,  &TGForm::RadioButton1Click}, {2,  &TGForm::RadioButton1Click},
        {3,  &TGForm::RadioButton3Click}, {4,  &TGForm::RadioButton4Click},
        {5,  &TGForm::RadioButton1Click}, {6,  &TGForm::RadioButton1Click},
        {7,  &TGForm::RadioButton1Click}, {8,  &TGForm::RadioButton1Click},
        {9,  &TGForm::RadioButton1Click}, {10, &TGForm::RadioButton1Click},
        {11, &TGForm::RadioButton1Click}, {12, &TGForm::RadioButton1Click},
    };
    const std::pair<int, Handler> buttonHandlers[] = {
        {1,  &TGForm::Button2Click},  {2,  &TGForm::Button2Click},  {3,  &TGForm::Button2Click},
        {4,  &TGForm::Button2Click},  {5,  &TGForm::Button5Click},  {6,  &TGForm::Button6Click},
        {7,  &TGForm::Button7Click},  {8,  &TGForm::Button8Click},  {9,  &TGForm::Button9Click},
        {10, &TGForm::Button10Click}, {11, &TGForm::Button11Click}, {12, &TGForm::Button12Click},
        {13, &TGForm::Button13Click},
    };
    const std::tuple<int, Handler, const char*> comboHandlers[] = {
        {1, &TGForm::ComboBox1Change,   "Источник тактовой частоты"},
        {2, &TGForm::RadioButton1Click, "Режим работы"},
        {3, &TGForm::ComboBox3Change,   "Режим синхронизации DDC"},
        {4, &TGForm::ComboBox3Change,   "Мастер режим"},
        {5, &TGForm::ComboBox3Change,   "Источник старта"},
        {6, &TGForm::ComboBox6Change,   "Число отсчётов на канал"},
    };
    const std::pair<int, EditWiring> editHandlers[] = {
        {17, {&TGForm::Edit17Exit, &TGForm::Edit17KeyPress}},
        {18, {&TGForm::Edit18Exit, &TGForm::Edit18KeyPress}},
        {19, {&TGForm::Edit19Exit, &TGForm::Edit19KeyPress}},
        {21, {&TGForm::Edit21Exit, &TGForm::Edit21KeyPress}},
        {22, {&TGForm::Edit22Exit, &TGForm::Edit22KeyPress}},
        {24, {&TGForm::Edit24Exit, &TGForm::Edit24KeyPress}},
    };
    // clang-format on

    for (const auto& [n, handler] : radioHandlers) {
        onToggle(radioButton_[n], handler, true);
    }
    for (const auto& [n, handler] : buttonHandlers) {
        QPushButton* b = button_[n];
        connect(b, &QPushButton::clicked, this,
                [=, this] { RunHandler([=, this] { (this->*handler)(b); }); });
    }
    for (const auto& [n, handler, listName] : comboHandlers) {
        QComboBox* combo = comboBox_[n];
        comboHandler_[n] = handler;
        comboListName_[n] = listName;
        connect(combo, &QComboBox::activated, this, [=, this] {
            combo->lineEdit()->setModified(false);
            RunHandler([=, this] { (this->*handler)(combo); });
        });
        // Typed text is taken only when confirmed (ConfirmComboText): the combo box's own
        // matching of it on Enter and on losing the focus is cut off.
        disconnect(combo->lineEdit(), &QLineEdit::returnPressed, combo, nullptr);
        disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
        combo->installEventFilter(this);
    }
    for (int i = 0; i < kDdcChannels; ++i) {
        editWiring_[1 + i] = {&TGForm::Edit1Exit, &TGForm::Edit1KeyPress};
    }
    for (const auto& [n, wiring] : editHandlers) {
        editWiring_[n] = wiring;
    }
    for (int n = 1; n <= 25; ++n) {
        if (editWiring_[n].exit != nullptr) {
            edit_[n]->installEventFilter(this);
        }
    }
}

bool TGForm::RunHandler(const std::function<void()>& handler) {
    // The outermost run is one undo step; the clicks its refresh raises run inside it.
    const bool outermost = handlerDepth_++ == 0;
    if (outermost) {
        BeginHandlerRun();
    }
    bool succeeded = false;
    try {
        handler();
        succeeded = true;
    } catch (const std::exception& e) {
        ShowRefusal(FromLocal(e.what()));
    } catch (...) {
        ShowRefusal(QString());
    }
    --handlerDepth_;
    if (outermost) {
        EndHandlerRun(succeeded);
    }
    return succeeded;
}

// While the box is open the window takes no input: keys typed ahead would otherwise reach the
// refused field's handler again behind the box.
void TGForm::ShowRefusal(const QString& message) {
    const bool wasShowing = std::exchange(showingRefusal_, true);
    HoldInputFor(heldField_);
    ShowErrorMessage(this, message);
    showingRefusal_ = wasShowing;
    if (heldField_ == nullptr) {
        ReleaseInput();
    }
}

bool TGForm::RunConfirm(QWidget* field, const std::function<void()>& handler) {
    if (RunHandler(handler)) {
        if (heldField_ == field) {
            ReleaseInput();
        }
        return true;
    }
    // A combo box shows its choice again at once, so it has nothing left to correct.
    if (qobject_cast<QComboBox*>(field) == nullptr) {
        HoldInputFor(field);
    }
    return false;
}

void TGForm::RunExit(QWidget* field, const std::function<void()>& handler) {
    if (RunConfirm(field, handler)) {
        return;
    }
    // The focus has already moved on: it comes back, and the rest of the input that moved it
    // (the click, the wheel, the Tab) is dropped meanwhile.
    HoldInputFor(field);
    QPointer<QWidget> refused(field);
    QTimer::singleShot(0, this, [this, refused] {
        if (refused == nullptr) {
            ReleaseInput();
            return;
        }
        refused->setFocus(Qt::OtherFocusReason);
        if (auto* combo = qobject_cast<QComboBox*>(refused.data())) {
            combo->lineEdit()->selectAll();
            ReleaseInput();
        }
    });
}

namespace {

// Hands the application's events to a function: the filter the window installs while it holds
// its input.
class EventFilterFunction : public QObject {
  public:
    EventFilterFunction(QObject* parent, std::function<bool(QObject*, QEvent*)> filter)
        : QObject(parent), filter_(std::move(filter)) {}
    bool eventFilter(QObject* watched, QEvent* event) override { return filter_(watched, event); }

  private:
    std::function<bool(QObject*, QEvent*)> filter_;
};

}  // namespace

void TGForm::HoldInputFor(QWidget* field) {
    heldField_ = field;
    if (inputHold_ == nullptr) {
        inputHold_ = new EventFilterFunction(this, [this](QObject* watched, QEvent* event) {
            return DropsHeldInput(watched, event);
        });
        qApp->installEventFilter(inputHold_);
    }
}

void TGForm::ReleaseInput() {
    heldField_ = nullptr;
    if (inputHold_ != nullptr && !showingRefusal_) {
        qApp->removeEventFilter(inputHold_);
        std::exchange(inputHold_, nullptr)->deleteLater();
    }
}

bool TGForm::DropsHeldInput(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
            break;
        default:
            return false;
    }
    QWidget* held = heldField_;
    if (held != nullptr && (!held->isEnabled() || !held->isVisible())) {
        // A field that can no longer take the focus holds nothing.
        ReleaseInput();
        held = nullptr;
    }
    auto isHeld = [held](QWidget* w) {
        return held != nullptr && w != nullptr && (w == held || held->isAncestorOf(w));
    };
    // Scrolling runs no handler, so a short screen still brings the field or the rest into
    // view: the wheel (a list field without the focus hands it to the page) and the scroll bars.
    if (event->type() == QEvent::Wheel) {
        return showingRefusal_;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return false;
    }
    for (QWidget* w = widget; w != nullptr && w != this; w = w->parentWidget()) {
        if (qobject_cast<QScrollBar*>(w) != nullptr && !showingRefusal_) {
            return false;
        }
    }
    // A press elsewhere has already moved the focus, and so confirmed the held field, before
    // it gets here: it is dropped only when that was refused again.
    return showingRefusal_ || !isHeld(widget);
}

bool TGForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::FocusOut && type != QEvent::KeyPress) {
        return false;
    }
    // Only a move to another control of the window takes the value, not the window losing
    // activation or a popup opening.
    const bool leaving =
        type == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
    const bool enter =
        type == QEvent::KeyPress && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                                     static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
    if (!leaving && !enter) {
        return false;
    }
    if (auto* combo = qobject_cast<QComboBox*>(watched)) {
        const int n = combo->objectName().mid(8).toInt();
        if (n <= 0 || n > 6 || comboBox_[n] != combo || !combo->lineEdit()->isModified()) {
            return false;
        }
        const auto confirm = [=, this] { ConfirmComboText(combo, n); };
        if (leaving) {
            RunExit(combo, confirm);
        } else {
            RunConfirm(combo, confirm);
        }
        return false;
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr || edit->window() != this) {
        return false;
    }
    const int n = edit->objectName().mid(4).toInt();
    if (n <= 0 || n > 25 || edit_[n] != edit || editWiring_[n].exit == nullptr) {
        return false;
    }
    if (leaving) {
        const Handler exit = editWiring_[n].exit;
        RunExit(edit, [=, this] { (this->*exit)(edit); });
    } else {
        const KeyHandler keyPress = editWiring_[n].keyPress;
        RunConfirm(edit, [=, this] { (this->*keyPress)(edit, '\r'); });
    }
    return false;  // the key is passed on to the field
}

// Typed text names an item by its number or its text (ChoiceFromText) and is then taken as that
// choice; any other text is refused and the field shows the current choice again.
void TGForm::ConfirmComboText(QComboBox* combo, int n) {
    const QString typed = combo->currentText();
    std::vector<std::string> items;
    for (int i = 0; i < combo->count(); ++i) {
        items.push_back(combo->itemText(i).toUtf8().toStdString());
    }
    const int index = ChoiceFromText(typed.toUtf8().toStdString(), items);
    if (index < 0) {
        Refresh();
        throw SettingsError(Text("'%1' — нет такого значения в списке «%2»")
                                .arg(typed, Text(comboListName_[n]))
                                .toLocal8Bit()
                                .toStdString());
    }
    combo->setCurrentIndex(index);
    combo->lineEdit()->setModified(false);
    (this->*comboHandler_[n])(combo);
}

// ---------------------------------------------------------------------------------------------
// Lifecycle.

void TGForm::FormCreate(QObject*) {
    if (ControlTable[0] != nullptr) {
        return;
    }
    BuildWindow();
    for (int k = 0; k < 64; ++k) {
        ControlTable[k] = checkBox_[k + 1];
    }
    for (int j = 0; j < kAdcs; ++j) {
        ControlTable[64 + j] = checkBox_[65 + j];
        ControlTable[68 + j] = checkBox_[86 + j];
        GainPairs[j] = {radioButton_[5 + 2 * j], radioButton_[6 + 2 * j]};
    }
    for (int i = 0; i < kDdcChannels; ++i) {
        ControlTable[72 + i] = edit_[1 + i];
        ControlTable[88 + i] = checkBox_[69 + i];
    }
    SetUpUndo();
    // Before the wiring: the keyboard's filter then sees a key after the handler it ran.
    SetUpKeyboard();
    WireControls();
    SetUpWheel();
    ReadDecimalSeparator();
}

void TGForm::FormShow(QObject*) {
    // A missing file leaves the defaults, as it always has at start. So does one that is there and
    // cannot be read, but that is said, and the close asks before putting anything in its place.
    const StartupFiles loaded = LoadStartupFiles(Settings, TSettings::StartupConfigName);
    startupConfigUnread_ = loaded.config == files::LoadStatus::Failed;
    configRead_ = {TSettings::StartupConfigName, loaded.configMissingKeys};
    RememberStartupConfig();
    Refresh();
    SetUpWatching();
    if (startupConfigUnread_) {
        ShowFileFailure(this,
                        Text("Файл настроек ") + QString::fromLatin1(TSettings::StartupConfigName) +
                            Text(" не считан, в окне настройки по умолчанию. При закрытии окна он "
                                 "не будет заменён без вопроса."),
                        FromLocal(loaded.configError));
    }
}

void TGForm::FormClose(QObject*) {
    closeRefused_ = !DecideClose();
}

void TGForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!formShown_) {
        formShown_ = true;
        RunHandler([this] { FormShow(this); });
        // Loading the settings is where undo starts, not a step of its own.
        UndoStack()->clear();
    }
}

void TGForm::closeEvent(QCloseEvent* event) {
    closeRefused_ = false;
    RunHandler([this] { FormClose(this); });
    if (closeRefused_) {
        event->ignore();
        return;
    }
    SaveWindowPlace();
    event->accept();
}

void TGForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) {
        ReadDecimalSeparator();
        if (formShown_) {
            RunHandler([this] { Refresh(); });
        }
    }
}

void TGForm::ReadDecimalSeparator() {
    // The separator is one 8-bit character for the number texts; a point when the locale's
    // is not one.
    const QString point = QLocale().decimalPoint();
    decimalSeparator_ = !point.isEmpty() && point.front().unicode() < 0x80
                            ? static_cast<char>(point.front().unicode())
                            : '.';
}
