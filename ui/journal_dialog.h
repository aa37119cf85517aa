// The run journal in the window ("Журнал…"): the writes of exam_ddc.ini kept in the working folder,
// what each one changed, how its settings differ from the window's, and a way to take them back.
// And the preview behind the mark "● не записано": the lines of exam_ddc.ini a write would change.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "core/settings.h"
#include "files/journal.h"
#include "files/session.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// Modeless: the window stays usable beside it, and it follows the window's settings.
class TJournalDialog : public QDialog {
    Q_OBJECT

  public:
    // `restore` gets the chosen entry's settings as a configuration file holds them.
    TJournalDialog(QWidget* parent, std::function<void(const std::string&)> restore);

    // Reads the list again from the journal file (a write has added an entry).
    void Reload();
    // The window's settings now, for the comparison with the chosen entry.
    void SetCurrent(const TSettings& current);

  private:
    void ShowChosen();
    void ShowDifferences();

    std::function<void(const std::string&)> restore_;
    std::string currentConfig_;
    std::optional<JournalEntry> chosen_;

    QLineEdit* filter_ = nullptr;
    QLabel* state_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* entryTitle_ = nullptr;
    QTreeWidget* changes_ = nullptr;
    QTreeWidget* differences_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
};

// The preview: a modeless window with the unified difference of exam_ddc.ini before and after a
// write, each line decoded for reading as the window decodes names.
QDialog* MakeIniPreviewDialog(QWidget* parent, const InitializationFilePreview& preview);
// The difference as the preview shows it.
QString IniPreviewText(const InitializationFilePreview& preview);
