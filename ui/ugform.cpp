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
#include <QTimer>
#include <algorithm>
#include <bit>
#include <cmath>
#include <exception>
#include <vector>

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
    resize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Centred, but a window taller or wider than the desktop keeps its caption on it.
        const QRect desktop = screen->availableGeometry();
        const QPoint centred = desktop.center() - rect().center();
        move(std::max(centred.x(), desktop.left()), std::max(centred.y(), desktop.top()));
    }
}

TGForm::~TGForm() = default;

// ---------------------------------------------------------------------------------------------
// Wiring. Check boxes use `toggled` and radio buttons `toggled(true)`, so that a change from the
// program raises the handler as a click does; combo boxes use `activated` and the typed text
// (`textEdited`), edits the event filter, so that the program's own setCurrentIndex() and
// setText() raise nothing.

void TGForm::WireControls() {
    auto onToggle = [this](QAbstractButton* b, Handler handler, bool onlyWhenTicked) {
        connect(b, &QAbstractButton::toggled, this, [=, this](bool ticked) {
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
    const std::pair<int, Handler> comboHandlers[] = {
        {1, &TGForm::ComboBox1Change}, {2, &TGForm::RadioButton1Click},
        {3, &TGForm::ComboBox3Change}, {4, &TGForm::ComboBox3Change},
        {5, &TGForm::ComboBox3Change}, {6, &TGForm::ComboBox6Change},
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
    for (const auto& [n, handler] : comboHandlers) {
        QComboBox* combo = comboBox_[n];
        connect(combo, &QComboBox::activated, this,
                [=, this] { RunHandler([=, this] { (this->*handler)(combo); }); });
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, [=, this](const QString& text) {
            // Typed text selects the item it matches exactly, or none; the text stays as typed
            // (QComboBox clears its field when the selection is set to none).
            const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (index != combo->currentIndex()) {
                QLineEdit* field = combo->lineEdit();
                const int cursor = field->cursorPosition();
                combo->setCurrentIndex(index);
                field->setText(text);
                field->setCursorPosition(cursor);
            }
            typingInto_ = combo;
            RunHandler([=, this] { (this->*handler)(combo); });
            typingInto_ = nullptr;
        });
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
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        ShowErrorMessage(this, FromLocal(e.what()));
    } catch (...) {
        ShowErrorMessage(this, QString());
    }
    return false;
}

void TGForm::RunExit(QLineEdit* edit, const EditWiring& wiring) {
    dropClickAfterFailedExit_ = false;
    if (RunHandler([&] { (this->*wiring.exit)(edit); })) {
        return;
    }
    // The refused text keeps the focus, as the click that moved it away is dropped.
    dropClickAfterFailedExit_ = true;
    qApp->installEventFilter(this);
    QTimer::singleShot(0, this, [this, edit] {
        if (dropClickAfterFailedExit_) {
            dropClickAfterFailedExit_ = false;
            qApp->removeEventFilter(this);
        }
        edit->setFocus(Qt::OtherFocusReason);
    });
}

bool TGForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (dropClickAfterFailedExit_ &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick)) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            if (type == QEvent::MouseButtonRelease) {
                dropClickAfterFailedExit_ = false;
                qApp->removeEventFilter(this);
            }
            return true;
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
    if (type == QEvent::FocusOut) {
        // Only a move to another control of the window takes the value, not the window
        // losing activation or a popup opening.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            RunExit(edit, editWiring_[n]);
        }
    } else if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const KeyHandler keyPress = editWiring_[n].keyPress;
            RunHandler([=, this] { (this->*keyPress)(edit, '\r'); });
        }
    }
    return false;  // the key is passed on to the edit
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
    CreateDialogs();
    WireControls();
    ReadDecimalSeparator();
}

void TGForm::FormShow(QObject*) {
    // A missing or unreadable file leaves the defaults, as it always has at start.
    LoadStartupFiles(TSettings::StartupConfigName);
    Refresh();
}

void TGForm::FormClose(QObject*) {
    std::string reason;
    if (!WriteConfig(TSettings::StartupConfigName, &reason)) {
        ShowFileFailure(this,
                        Text("Настройки не сохранены: не удалось записать файл ") +
                            QString::fromLatin1(TSettings::StartupConfigName) + u'.',
                        FromLocal(reason));
    }
}

void TGForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!formShown_) {
        formShown_ = true;
        RunHandler([this] { FormShow(this); });
    }
}

void TGForm::closeEvent(QCloseEvent* event) {
    RunHandler([this] { FormClose(this); });
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
