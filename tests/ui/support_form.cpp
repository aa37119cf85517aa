#include "tests/ui/support_form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <locale>
#include <ostream>
#include <sstream>

#include "core/settings.h"

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

QByteArray Fixture(const QString& name) {
    const QString path = QStringLiteral(TESSARO_TEST_DATA_DIR "/ui/") + name;
    if (!QFile::exists(path)) {
        throw std::runtime_error("missing fixture " + path.toStdString());
    }
    return ReadBytes(path);
}

QWidget* FindNamed(QWidget& root, const QString& name) {
    auto* widget = root.findChild<QWidget*>(name);
    if (widget == nullptr) {
        throw std::runtime_error("no control named " + name.toStdString());
    }
    return widget;
}

QCheckBox* MatrixBox(QWidget& form, int channel, int adc) {
    return Find<QCheckBox>(form, QStringLiteral("CheckBox%1").arg(4 * channel + adc + 1));
}

void ActivateWindow(QWidget& window) {
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QCoreApplication::processEvents();
    if (!window.isActiveWindow()) {
        throw std::runtime_error("the window did not become active");
    }
}

namespace {

// hitButton is protected; naming it through a derived class gives a pointer usable on any button.
struct ButtonHitTest : QAbstractButton {
    using QAbstractButton::hitButton;
};

QPoint ClickPoint(QAbstractButton* button) {
    const auto hit = &ButtonHitTest::hitButton;
    const QPoint centre = button->rect().center();
    if ((button->*hit)(centre)) {
        return centre;
    }
    // Check boxes without a caption are clickable on their indicator only.
    for (int y = 0; y < button->height(); ++y) {
        for (int x = 0; x < button->width(); ++x) {
            if ((button->*hit)(QPoint(x, y))) {
                return QPoint(x, y);
            }
        }
    }
    throw std::runtime_error("button " + button->objectName().toStdString() +
                             " has no clickable point");
}

void FocusByMouse(QWidget* widget) {
    widget->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
}

}  // namespace

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, ClickPoint(button));
    QCoreApplication::processEvents();
}

void TypeText(QLineEdit* edit, const QString& text) {
    if (!edit->hasFocus()) {
        FocusByMouse(edit);
    }
    edit->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(edit, text);
    }
    QCoreApplication::processEvents();
}

void TypeThenEnter(QLineEdit* edit, const QString& text) {
    TypeText(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();
}

void TypeThenLeave(QLineEdit* edit, const QString& text, QWidget* next) {
    TypeText(edit, text);
    FocusByMouse(next);
}

void TypeIntoCombo(QComboBox* combo, const QString& text) {
    FocusByMouse(combo);
    combo->lineEdit()->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(combo, Qt::Key_Backspace);
    }
    // keyClicks() knows only ASCII keys; other letters arrive as text, as from a layout.
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(combo, ch.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, combo, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
    QCoreApplication::processEvents();
}

void ChooseComboItem(QComboBox* combo, int index) {
    FocusByMouse(combo);
    for (int step = 0; step <= combo->count() && combo->currentIndex() != index; ++step) {
        QTest::keyClick(combo, combo->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        QCoreApplication::processEvents();
    }
    if (combo->currentIndex() != index) {
        throw std::runtime_error("could not choose item " + std::to_string(index) + " of " +
                                 combo->objectName().toStdString());
    }
}

QString ControlsSnapshot(QWidget& form, const QStringList& except) {
    static const QRegularExpression designerName(
        QStringLiteral("^(CheckBox|Edit|ComboBox|RadioButton)[0-9]+$"));
    QStringList lines;
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (!designerName.match(name).hasMatch() || except.contains(name)) {
            continue;
        }
        const QString enabled = widget->isEnabled() ? "" : " (disabled)";
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            lines << QStringLiteral("%1 #%2 '%3'%4")
                         .arg(name)
                         .arg(combo->currentIndex())
                         .arg(combo->currentText(), enabled);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            lines << QStringLiteral("%1 '%2'%3").arg(name, edit->text(), enabled);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            lines << QStringLiteral("%1 %2%3").arg(name, button->isChecked() ? "[x]" : "[ ]",
                                                   enabled);
        }
    }
    lines.sort();
    return lines.join('\n');
}

std::string StoredSettingsSnapshot(const TSettings& s) {
    std::ostringstream out;
    out.imbue(std::locale::classic());  // the same text whatever the global locale
    out.precision(17);
    out << "SamplesPerChannel " << s.SamplesPerChannel << "\nEnableDDC " << s.EnableDDC
        << "\nWorkMode " << s.WorkMode << "\nDirFileName " << s.DirFileName << "\nDirFileBufSize "
        << s.DirFileBufSize << "\nClockSource " << s.ClockSource << "\nInternalClockValue "
        << s.InternalClockValue << "\nExternalClockValue " << s.ExternalClockValue
        << "\nDDCChannelMask " << s.DDCChannelMask << "\nChannelMask " << s.ChannelMask
        << "\nDataFormat " << s.DataFormat << '\n';
    for (int i = 0; i < kDdcChannels; ++i) {
        out << "FrequencyNCO" << i << ' ' << s.FrequencyNCO[i] << "\nInputSource" << i << ' '
            << s.InputSource[i] << '\n';
    }
    out << "AdcGainMask " << s.AdcGainMask << "\nDither " << s.Dither << "\nStartSource "
        << s.StartSource << "\nComparatorThresholdSDX " << s.ComparatorThresholdSDX
        << "\nMasterMode " << s.MasterMode << "\nDDCSyncMode " << s.DDCSyncMode
        << "\nDDCProgramFile " << s.DDCProgramFile << "\nFreqNC0 " << s.FreqNC0
        << "\nMaskSelFreqNCO " << s.MaskSelFreqNCO << "\nDirSamplesPerChannel "
        << s.DirSamplesPerChannel << "\nCurrentConfigName " << s.CurrentConfigName << '\n';
    return out.str();
}

ModalAnswerer::ModalAnswerer() {
    // Polling from the event loop reaches the nested loop of every exec() the window runs.
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Poll);
    timer_.start();
}

void ModalAnswerer::AcceptNextDialog(const QString& dialogName, const QString& path) {
    answers_.push_back({dialogName, path, true, {}});
}

void ModalAnswerer::AnswerNextBox(QMessageBox::StandardButton button) {
    boxAnswers_.push_back(button);
}

void ModalAnswerer::CancelNextDialog(const QString& dialogName) {
    answers_.push_back({dialogName, {}, false, {}});
}

void ModalAnswerer::TypeThenCancelNextDialog(const QString& dialogName, const QString& typed) {
    answers_.push_back({dialogName, {}, false, typed});
}

std::vector<SeenMessageBox> ModalAnswerer::TakeMessageBoxes() {
    return std::exchange(boxes_, {});
}

std::vector<SeenFileDialog> ModalAnswerer::TakeFileDialogs() {
    return std::exchange(dialogs_, {});
}

QStringList ModalAnswerer::Leftovers() const {
    QStringList left = unexpected_;
    for (const Answer& answer : answers_) {
        left << QStringLiteral("unused answer for %1").arg(answer.dialogName);
    }
    for (QMessageBox::StandardButton button : boxAnswers_) {
        left << QStringLiteral("unused answer %1 for a message box").arg(int(button));
    }
    return left;
}

bool ModalAnswerer::IsHandled(QWidget* widget) {
    std::erase_if(handled_,
                  [](const QPointer<QWidget>& w) { return w.isNull() || !w->isVisible(); });
    return std::any_of(handled_.begin(), handled_.end(),
                       [widget](const QPointer<QWidget>& w) { return w == widget; });
}

void ModalAnswerer::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || IsHandled(modal)) {
        return;
    }
    handled_.emplace_back(modal);
    // Answers are queued rather than given here: an answer may open a further modal box (the
    // overwrite question), which this timer must still be free to answer.
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        QPushButton* defaultButton = box->defaultButton();
        boxes_.push_back({box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
                          box->informativeText(),
                          defaultButton != nullptr ? box->standardButton(defaultButton)
                                                   : QMessageBox::NoButton});
        QPointer<QMessageBox> guard(box);
        QMessageBox::StandardButton chosen = QMessageBox::NoButton;
        if (!boxAnswers_.empty()) {
            chosen = boxAnswers_.front();
            boxAnswers_.pop_front();
        }
        QTimer::singleShot(0, this, [guard, chosen] {
            if (guard.isNull()) {
                return;
            }
            if (QAbstractButton* wanted = guard->button(chosen)) {
                wanted->click();
            } else if (QAbstractButton* yes = guard->button(QMessageBox::Yes)) {
                yes->click();
            } else if (QAbstractButton* ok = guard->button(QMessageBox::Ok)) {
                ok->click();
            } else {
                guard->reject();
            }
        });
        return;
    }
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        dialogs_.push_back({dialog->objectName(), dialog->directory().absolutePath(),
                            dialog->defaultSuffix(),
                            dialog->acceptMode() == QFileDialog::AcceptSave,
                            nameField != nullptr ? nameField->text() : QStringLiteral("?")});
        Answer answer;
        if (answers_.empty()) {
            unexpected_ << QStringLiteral("file dialog %1 not expected").arg(dialog->objectName());
        } else {
            answer = answers_.front();
            answers_.pop_front();
            if (answer.dialogName != dialog->objectName()) {
                unexpected_ << QStringLiteral("file dialog %1 opened where %2 was expected")
                                   .arg(dialog->objectName(), answer.dialogName);
            }
        }
        QPointer<QFileDialog> guard(dialog);
        QTimer::singleShot(0, this, [this, guard, answer] {
            if (guard.isNull()) {
                return;
            }
            if (!answer.typed.isEmpty()) {
                if (auto* field = guard->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                    field->setFocus();
                    field->selectAll();
                    QTest::keyClicks(field, answer.typed);
                }
            }
            if (answer.accept) {
                // selectFile() leaves the name field alone while it has the focus.
                if (QWidget* focused = QApplication::focusWidget();
                    focused != nullptr && guard->isAncestorOf(focused)) {
                    focused->clearFocus();
                }
                guard->selectFile(answer.path);
                static_cast<QDialog*>(guard.data())->accept();
            }
            if (!guard.isNull() && guard->isVisible()) {
                if (answer.accept) {
                    unexpected_ << QStringLiteral("file dialog %1 refused %2")
                                       .arg(guard->objectName(), answer.path);
                }
                guard->reject();
            }
            // The window reuses its dialogs: the next opening is a new question.
            std::erase_if(handled_, [&guard](const QPointer<QWidget>& w) { return w == guard; });
        });
        return;
    }
    unexpected_ << QStringLiteral("modal window %1 '%2'")
                       .arg(modal->metaObject()->className(), modal->objectName());
    QPointer<QWidget> guard(modal);
    QTimer::singleShot(0, this, [guard] {
        if (!guard.isNull()) {
            guard->close();
        }
    });
}

QString Num(const char* withPoint) {
    return QString::fromLatin1(withPoint).replace(u'.', QLocale().decimalPoint());
}

void ScratchDirTest::SetUp() {
    ASSERT_TRUE(scratch_.isValid());
    savedCurrent_ = QDir::currentPath();
    savedLocale_ = QLocale();
    ASSERT_TRUE(QDir::setCurrent(scratch_.path()));
}

void ScratchDirTest::TearDown() {
    QLocale::setDefault(savedLocale_);
    QDir::setCurrent(savedCurrent_);
}

QString ScratchDirTest::Path(const QString& relative) const {
    return QDir(scratch_.path()).absoluteFilePath(relative);
}

void ScratchDirTest::MakeDir(const QString& relative) const {
    if (!QDir(scratch_.path()).mkpath(relative)) {
        throw std::runtime_error("cannot create " + relative.toStdString());
    }
}

TGForm& FormTest::ShowForm() {
    modals_ = std::make_unique<ModalAnswerer>();
    form_ = std::make_unique<TGForm>();
    form_->show();
    QCoreApplication::processEvents();
    ActivateWindow(*form_);
    return *form_;
}

QStringList FormTest::TakeMessages() {
    QStringList texts;
    if (modals_) {
        for (const SeenMessageBox& box : modals_->TakeMessageBoxes()) {
            texts << box.text;
        }
    }
    return texts;
}

void FormTest::TearDown() {
    if (modals_) {
        EXPECT_EQ(TakeMessages(), QStringList()) << "message boxes no test looked at";
        EXPECT_EQ(modals_->Leftovers(), QStringList());
    }
    form_.reset();
    modals_.reset();
    ScratchDirTest::TearDown();
}

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '{';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        *out << (i == 0 ? "" : ", ");
        PrintTo(texts[i], out);
    }
    *out << '}';
}
