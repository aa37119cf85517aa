// The main window: every control of the editor, the refresh and harvest, and the handlers.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/checks.h"
#include "core/settings.h"
#include "files/session.h"

class QCheckBox;
class QDialog;
class TJournalDialog;
class QComboBox;
class QFileDialog;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSettings;
class QTimer;
class QUndoStack;
class TFormKeys;
class TPlanWindow;
struct NcoValue;
enum class RecordingSizeStatus;

class TGForm : public QWidget {
    Q_OBJECT

  public:
    explicit TGForm(QWidget* parent = nullptr);
    ~TGForm() override;

    // Model to window: only shows, changes nothing; sets Updating while it runs and always runs
    // to its end.
    void Refresh();
    // The working values (recording size, channel counts) worked out from the settings, then
    // Refresh: what a handler does after changing the settings.
    void UpdateAndRefresh();
    // Window to model; stops at the first text that does not convert (SettingsError).
    void Harvest();

    // The window's own settings record: what the controls show and the handlers change.
    TSettings Settings;

    bool Updating = false;
    // 0-63 matrix boxes (4c + j), 64-67 ADC-in-use indicators, 68-71 ADC channel boxes,
    // 72-87 NCO edits, 88-103 selection boxes.
    std::array<QWidget*, 104> ControlTable{};
    // For ADC 0 to 3: its (0.5 V, 0.34 V) range buttons.
    std::array<std::pair<QRadioButton*, QRadioButton*>, kAdcs> GainPairs{};

    // The decimal separator of window texts, from the locale.
    char DecimalSeparator() const { return decimalSeparator_; }

  public slots:
    // Handlers keep their designer names; Sender is the control that raised the event. Each may
    // throw SettingsError: the connections catch it and show it (RunHandler).
    void FormCreate(QObject* Sender = nullptr);
    void FormShow(QObject* Sender = nullptr);
    void FormClose(QObject* Sender = nullptr);

    void CheckBox1Click(QObject* Sender = nullptr);
    void Button5Click(QObject* Sender = nullptr);
    void Button6Click(QObject* Sender = nullptr);
    void Button2Click(QObject* Sender = nullptr);
    void Edit1Exit(QObject* Sender = nullptr);
    void Edit1KeyPress(QObject* Sender, char Key);
    void Button7Click(QObject* Sender = nullptr);
    void Button8Click(QObject* Sender = nullptr);
    void Edit17Exit(QObject* Sender = nullptr);
    void Edit17KeyPress(QObject* Sender, char Key);
    void ComboBox1Change(QObject* Sender = nullptr);
    void Edit18Exit(QObject* Sender = nullptr);
    void Edit18KeyPress(QObject* Sender, char Key);
    void RadioButton1Click(QObject* Sender = nullptr);
    void RadioButton3Click(QObject* Sender = nullptr);
    void RadioButton4Click(QObject* Sender = nullptr);
    void Edit19Exit(QObject* Sender = nullptr);
    void Edit19KeyPress(QObject* Sender, char Key);
    void CheckBox69Click(QObject* Sender = nullptr);
    void ComboBox3Change(QObject* Sender = nullptr);
    void Edit24Exit(QObject* Sender = nullptr);
    void Edit24KeyPress(QObject* Sender, char Key);
    void ComboBox6Change(QObject* Sender = nullptr);
    void Edit21Exit(QObject* Sender = nullptr);
    void Edit21KeyPress(QObject* Sender, char Key);
    void Edit22Exit(QObject* Sender = nullptr);
    void Edit22KeyPress(QObject* Sender, char Key);
    void Button10Click(QObject* Sender = nullptr);
    void Button11Click(QObject* Sender = nullptr);
    void Button13Click(QObject* Sender = nullptr);
    void Button12Click(QObject* Sender = nullptr);
    void Button9Click(QObject* Sender = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using Handler = void (TGForm::*)(QObject*);
    using KeyHandler = void (TGForm::*)(QObject*, char);
    struct EditWiring {
        Handler exit = nullptr;
        KeyHandler keyPress = nullptr;
    };

    void BuildWindow();
    void WireControls();
    // The file dialog of that name, built on its first use.
    QFileDialog* FileDialog(const char* name);
    // The one place where a failure escaping a handler is caught and shown.
    bool RunHandler(const std::function<void()>& handler);
    // A field's text confirmed by Enter (RunConfirm) or by the focus leaving it (RunExit).
    bool RunConfirm(QWidget* field, const std::function<void()>& handler);
    void RunExit(QWidget* field, const std::function<void()>& handler);
    void ConfirmComboText(QComboBox* combo, int n);
    void ShowRefusal(const QString& message);
    void HoldInputFor(QWidget* field);
    void ReleaseInput();
    bool DropsHeldInput(QObject* watched, QEvent* event);
    void ReadDecimalSeparator();
    void GuardedHarvestAndRefresh();

    // Edits remember the text the refresh showed: looking at a field is not editing it.
    void ShowText(QLineEdit* edit, const QString& text);
    bool Untouched(const QLineEdit* edit) const;
    // Names are shown decoded from their bytes and encoded back the same way when edited.
    void ShowName(QLineEdit* edit, const std::string& bytes);
    std::string NameOf(const QLineEdit* edit) const;
    std::string TextOf(const QLineEdit* edit) const;
    void SelectValue(QComboBox* combo, int32_t value);
    int32_t ChosenValue(const QComboBox* combo, int32_t stored) const;
    void ShowRecordingSize(QLineEdit* edit, RecordingSizeStatus status, int32_t value);
    void MarkBadInputSource(int channel, int32_t source);

    char decimalSeparator_ = '.';
    bool formShown_ = false;
    // std.cfg was there at start and could not be read (an I/O error, too large, no settings).
    bool startupConfigUnread_ = false;
    // A refused field keeps the focus, and until its text is corrected only it and the message
    // box take input: the rest of the window's input is dropped by an application-wide filter
    // (DropsHeldInput), installed only while something is held.
    bool showingRefusal_ = false;
    QPointer<QWidget> heldField_;
    QObject* inputHold_ = nullptr;
    // ComboBox1 .. ComboBox6: the handler of a choice, and the list's name for a refusal.
    std::array<Handler, 7> comboHandler_{};
    std::array<const char*, 7> comboListName_{};

    std::array<QCheckBox*, 90> checkBox_{};  // CheckBox1 .. CheckBox89 at their numbers
    std::array<QLineEdit*, 26> edit_{};      // Edit1 .. Edit25
    std::array<QComboBox*, 7> comboBox_{};   // ComboBox1 .. ComboBox6
    std::array<QRadioButton*, 13> radioButton_{};
    std::array<QPushButton*, 14> button_{};
    std::array<QLabel*, kDdcChannels> matrixHead_{};
    std::array<bool, kDdcChannels> badInputSource_{};
    std::array<EditWiring, 26> editWiring_{};

    // Pre-flight checks shown after every refresh (ugform_checks.cpp), and the controls'
    // tooltips, accessible names and label buddies (ugform_descriptions.cpp).
    class FindingsDisplay;
    QWidget* BuildFindingsList();

    // Beside the button that writes exam_ddc.ini: "Журнал…", a mark while the settings differ
    // from what the file holds (a click shows the lines a write would change), and a line saying
    // what the last write did (ugform_status.cpp).
    QWidget* BuildIniWriteRow(QPushButton* writeButton);
    void ShowIniPending();
    void ShowIniWritten(const IniWriteReport& report);
    void ShowIniPreview();
    void OpenJournal();
    // "Вернуть эти настройки" in the journal: the entry's configuration text, as one undo step.
    void LoadJournalSettings(const std::string& configText);
    QPushButton* iniPending_ = nullptr;
    QLabel* iniStatus_ = nullptr;
    InitializationFileWatch iniWatch_;
    QPointer<TJournalDialog> journal_;
    QPointer<QDialog> iniPreview_;
    void DescribeControls();
    void ShowFindings();
    FindingsDisplay* findings_ = nullptr;

    // ---- Working comfort: undo and redo (ugform_undo.cpp), the keyboard (ugform_keyboard.cpp),
    // a window that fits short screens (ugform_layout.cpp) ----
  public:
    // One step per handler run that changed Settings; a step restores the whole record.
    QUndoStack* UndoStack() const { return undoStack_; }
    // Undo and redo as the keys do them: unconfirmed text in the focused edit is dropped first.
    void UndoStep();
    void RedoStep();
    QSize sizeHint() const override;

  private:
    friend class TFormKeys;
    void SetUpUndo();
    // Before and after every outermost handler run: the undo step and the shown edit texts.
    void BeginHandlerRun();
    void EndHandlerRun(bool succeeded);
    // Puts a record back as it was and shows it (undo and redo).
    void RestoreSettings(const TSettings& record);
    void SetUpKeyboard();
    // The focused edit's unconfirmed text is replaced by the shown value; false when none.
    bool DropUnconfirmedText();
    // Records what the edits show after a handler run; a run that succeeded took its edit's text.
    void ConfirmShownTexts(bool handlerSucceeded);
    void WrapInScrollArea(QWidget* page);
    // Size and place on the screen: the whole page on a tall screen, scrolling on a short one.
    void FitToScreen();
    // Cuts a restored place that is taller than its screen allows, caption included, and moves it
    // up to the screen's top.
    void FitPlaceToScreen();

    // ---- The frequency plan window (ugform_plan.cpp), made on first use ----
  public:
    // Makes the plan window on the first call, shows it and brings it forward.
    TPlanWindow* ShowPlanWindow();
    // The plan window; null until it is first shown.
    TPlanWindow* PlanWindow() const { return planWindow_; }

  private:
    QPushButton* BuildPlanButton();
    // At the end of every refresh: the plan follows the settings.
    void ShowPlan();
    void FocusChannelFrequency(int channel);
    // A marker dragged (final on release) and the tuning aids' values, through SetChannelFrequency.
    void PlanRetune(int channel, double frequency, bool final);
    void PlanFrequencies(const std::vector<NcoValue>& values);
    TPlanWindow* planWindow_ = nullptr;
    bool planDragOpen_ = false;
    bool planDragOutermost_ = false;

    QUndoStack* undoStack_ = nullptr;
    // Handler runs in progress: the refresh's own clicks run handlers inside an outer run.
    int handlerDepth_ = 0;
    std::unique_ptr<TSettings> settingsBeforeRun_;
    TFormKeys* keys_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* page_ = nullptr;

    // ---- The window tells the truth at every moment: closing (ugform_close.cpp), writing with
    // errors (ugform_write_guard.cpp), files changed on disk (ugform_watch.cpp), the wheel and
    // the window's place (ugform_scrolling.cpp) ----
  public:
    // What closing does with std.cfg, deciding among the cases: saved silently in the ordinary
    // case; asked first when the window could not read it at start (replace it, save elsewhere,
    // don't save, cancel) or else when it changed on disk since the window read or saved it;
    // offered retry, save as, close without saving or cancel when the save fails. False: stay
    // open.
    bool DecideClose();
    // The warning of a save that was done but not wholly confirmed, when there is one.
    void TellSaveWarning(const QString& path, const std::string& warning);
    // The findings about files worked out again from the disk, and the mark (F5).
    void Recheck();
    // The configuration last read (at start or by "Считать") and the keys it lacked.
    const ConfigRead& LastConfigRead() const { return configRead_; }
    // The window's size and place are kept in `store` (the program's own settings): taken from
    // it now, written back when the window closes. Without a store nothing is remembered.
    void RememberPlaceIn(std::unique_ptr<QSettings> store);

  private:
    // std.cfg's bytes as the window last read or saved them (none: it was not there).
    void RememberStartupConfig();
    // True when std.cfg on disk holds something the window neither read nor would write.
    bool StartupConfigChangedOnDisk() const;
    // Asks before a write of exam_ddc.ini with error findings; true to write.
    bool MayWriteIni();
    // The findings as they stand; `askDisk`: the disk's answers asked again, not the kept ones.
    std::vector<Finding> CurrentFindings(bool askDisk);
    void SetUpWatching();
    void WatchFiles();
    void FilesChanged();
    void ReloadStartupConfig();
    void SetUpWheel();
    void SaveWindowPlace();
    std::unique_ptr<QSettings> placeStore_;

    ConfigRead configRead_;
    bool closeRefused_ = false;
    bool startupConfigKnown_ = false;
    bool startupConfigExisted_ = false;
    std::string startupConfigBytes_;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* filesChangedTimer_ = nullptr;
    QWidget* configChangedBar_ = nullptr;
    QString workingFolder_;
};

// The application's main window, set by main.
extern TGForm* GForm;
