// Helpers for driving the main window in tests: a scratch working folder, lookup by object name,
// simulated user input, and an answerer for the message boxes and file dialogs the window opens.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/ugform.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;

// Readable failure messages for Qt strings.
void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QStringList& texts, std::ostream* out);

// Whole files as bytes; a missing file reads as empty.
QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);
// A file of tests/data/ui.
QByteArray Fixture(const QString& name);

// Lookup by object name; a missing control or one of another type throws, failing the test.
QWidget* FindNamed(QWidget& root, const QString& name);
template <class T>
T* Find(QWidget& root, const QString& name) {
    T* widget = qobject_cast<T*>(FindNamed(root, name));
    if (widget == nullptr) {
        throw std::runtime_error("control " + name.toStdString() + " has an unexpected type");
    }
    return widget;
}
// The matrix box of DDC channel `channel` and ADC `adc`.
QCheckBox* MatrixBox(QWidget& form, int channel, int adc);

// Simulated user input. The window must be shown and active (ActivateWindow) so that focus
// changes are delivered as they are on a desktop.
void ActivateWindow(QWidget& window);
// A mouse click on the button's clickable area; the button takes the focus as on a desktop.
void Click(QAbstractButton* button);
// A number text as the window shows and takes it: each point becomes the locale's separator.
QString Num(const char* withPoint);

// Puts the focus into the edit and replaces its text by typing, without confirming it.
void TypeText(QLineEdit* edit, const QString& text);
void TypeThenEnter(QLineEdit* edit, const QString& text);
// Types, then moves the focus to another control of the window.
void TypeThenLeave(QLineEdit* edit, const QString& text, QWidget* next);
// Replaces the text of an editable combo box by typing, one character at a time.
void TypeIntoCombo(QComboBox* combo, const QString& text);
// Chooses an item with the arrow keys, as a user does without opening the list.
void ChooseComboItem(QComboBox* combo, int index);

// One line per named control: its text, tick, selected item and enabled state.
QString ControlsSnapshot(QWidget& form, const QStringList& except = {});
// Every stored setting (not the working values the refresh recomputes), one per line.
std::string StoredSettingsSnapshot(const TSettings& settings);

struct SeenMessageBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString informative;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

struct SeenFileDialog {
    QString name;
    QString directory;  // the folder it opened in
    QString defaultSuffix;
    bool save = false;
    QString nameField;  // the file-name field's text as it opened
};

// Answers every modal window that opens while it exists: message boxes are recorded and
// confirmed (Yes, else OK), file dialogs are answered from a script of expected dialogs.
class ModalAnswerer : public QObject {
  public:
    ModalAnswerer();
    void AcceptNextDialog(const QString& dialogName, const QString& path);
    void CancelNextDialog(const QString& dialogName);
    // Types a name into the dialog's file-name field, then cancels.
    void TypeThenCancelNextDialog(const QString& dialogName, const QString& typed);
    // The next message box is answered with this button instead of Yes or OK.
    void AnswerNextBox(QMessageBox::StandardButton button);
    std::vector<SeenMessageBox> TakeMessageBoxes();
    std::vector<SeenFileDialog> TakeFileDialogs();
    // Script entries not used yet and modal windows that were neither boxes nor dialogs.
    QStringList Leftovers() const;

  private:
    struct Answer {
        QString dialogName;
        QString path;
        bool accept = false;
        QString typed;
    };
    void Poll();
    bool IsHandled(QWidget* widget);

    QTimer timer_;
    std::deque<Answer> answers_;
    std::deque<QMessageBox::StandardButton> boxAnswers_;
    std::vector<QPointer<QWidget>> handled_;
    std::vector<SeenMessageBox> boxes_;
    std::vector<SeenFileDialog> dialogs_;
    QStringList unexpected_;
};

// Each test runs in its own empty working folder with default settings and the C locale.
class ScratchDirTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // An absolute path inside the scratch folder.
    QString Path(const QString& relative) const;
    void MakeDir(const QString& relative) const;

    QTemporaryDir scratch_;

  private:
    QString savedCurrent_;
    QLocale savedLocale_;
};

// A scratch folder with the window in it.
class FormTest : public ScratchDirTest {
  protected:
    void TearDown() override;
    // Creates the window, shows it (loading std.cfg and exam_ddc.ini) and activates it.
    TGForm& ShowForm();
    template <class T>
    T* W(const QString& name) {
        return Find<T>(*form_, name);
    }
    // The texts of the message boxes shown since the last call.
    QStringList TakeMessages();

    std::unique_ptr<TGForm> form_;
    std::unique_ptr<ModalAnswerer> modals_;
};
