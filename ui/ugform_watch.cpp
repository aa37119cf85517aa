// Files changed on disk while the window is open: exam_ddc.ini, std.cfg and the working folder are
// watched. A change of exam_ddc.ini brings its two values in again, as at start, and the mark
// follows at once; a change of std.cfg is said above the page, with a button that reads it
// again; any change in the folder works out the findings about files again. F5 does the last by
// hand, for folders elsewhere (a recording folder on another disk).
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "core/editing_rules.h"
#include "files/config_file.h"
#include "files/ini_file.h"
#include "ui/error_display.h"
#include "ui/ugform.h"
#include "ui/ugform_internal.h"

using namespace ugform;

namespace {

// A save by rename (an editor's, ours) sends several signals in a row: they are taken as one.
constexpr int kSettleMs = 150;

}  // namespace

void TGForm::SetUpWatching() {
    if (watcher_ != nullptr) {
        return;
    }
    workingFolder_ = QDir::currentPath();
    watcher_ = new QFileSystemWatcher(this);
    filesChangedTimer_ = new QTimer(this);
    filesChangedTimer_->setSingleShot(true);
    filesChangedTimer_->setInterval(kSettleMs);
    connect(filesChangedTimer_, &QTimer::timeout, this, [this] { FilesChanged(); });
    connect(watcher_, &QFileSystemWatcher::fileChanged, filesChangedTimer_,
            qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::directoryChanged, filesChangedTimer_,
            qOverload<>(&QTimer::start));

    auto* recheck = new QAction(this);
    recheck->setObjectName(QStringLiteral("RecheckAction"));
    recheck->setShortcut(QKeySequence(Qt::Key_F5));
    recheck->setShortcutContext(Qt::WindowShortcut);
    connect(recheck, &QAction::triggered, this, [this] { FilesChanged(); });
    addAction(recheck);

    // Above the scrolling page, so that it is seen wherever the page stands.
    configChangedBar_ = new QWidget(this);
    configChangedBar_->setObjectName(QStringLiteral("ConfigChangedBar"));
    configChangedBar_->setStyleSheet(QStringLiteral("#ConfigChangedBar { background: #fff3cd; }"));
    configChangedBar_->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(configChangedBar_);
    row->setContentsMargins(8, 3, 8, 3);
    auto* text = new QLabel(
        Text("Файл %1 изменён на диске").arg(QString::fromLatin1(TSettings::StartupConfigName)));
    QFont bold = font();
    bold.setBold(true);
    text->setFont(bold);
    text->setWordWrap(true);
    text->setObjectName(QStringLiteral("ConfigChangedText"));
    auto* reload = new QPushButton(Text("Считать заново"));
    reload->setObjectName(QStringLiteral("ReloadConfigButton"));
    reload->setFont(bold);
    reload->setAccessibleName(
        Text("Считать %1 заново").arg(QString::fromLatin1(TSettings::StartupConfigName)));
    reload->setToolTip(Text("Считать %1 с диска; настройки в окне заменятся его значениями "
                            "(отменяется, как любое изменение: Ctrl+Z)")
                           .arg(QString::fromLatin1(TSettings::StartupConfigName)));
    connect(reload, &QPushButton::clicked, this,
            [this] { RunHandler([this] { ReloadStartupConfig(); }); });
    row->addWidget(text, 1);
    row->addWidget(reload);
    configChangedBar_->hide();
    if (auto* outer = qobject_cast<QBoxLayout*>(layout())) {
        outer->insertWidget(0, configChangedBar_);
    }
    WatchFiles();
}

// A watched file replaced by a rename is no longer watched, and a file created since start was
// never: both are (re)added each time.
void TGForm::WatchFiles() {
    const QDir folder(workingFolder_);
    QStringList wanted{workingFolder_};
    for (const char* name : {TSettings::IniFileName, TSettings::StartupConfigName}) {
        const QString path = folder.absoluteFilePath(QFile::decodeName(name));
        if (QFileInfo::exists(path)) {
            wanted << path;
        }
    }
    const QStringList watched = watcher_->files() + watcher_->directories();
    QStringList missing;
    for (const QString& path : wanted) {
        if (!watched.contains(path)) {
            missing << path;
        }
    }
    if (!missing.isEmpty()) {
        watcher_->addPaths(missing);
    }
}

void TGForm::FilesChanged() {
    if (watcher_ == nullptr) {
        return;
    }
    // Not in the middle of a handler (a dialog it opened runs the event loop): later.
    if (Updating || handlerDepth_ > 0) {
        filesChangedTimer_->start();
        return;
    }
    WatchFiles();
    // exam_ddc.ini's own values, as at start: taken only when they changed, so that a save of
    // the window's own leaves the page alone.
    TSettings fromFile = Settings;
    if (ReadIni(TSettings::IniFileName, fromFile) &&
        (fromFile.DirFileBufSize != Settings.DirFileBufSize ||
         fromFile.InternalClockValue != Settings.InternalClockValue)) {
        Settings.DirFileBufSize = fromFile.DirFileBufSize;
        Settings.InternalClockValue = fromFile.InternalClockValue;
        // The text being typed stays: only the values the file gives are news.
        auto* typing = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        const bool keep = typing != nullptr && typing->window() == this && typing->isModified();
        const QString typed = keep ? typing->text() : QString();
        UpdateAndRefresh();
        // What the fields show now is what Escape goes back to.
        ConfirmShownTexts(false);
        if (keep) {
            typing->setText(typed);
            typing->setModified(true);
        }
    }
    configChangedBar_->setVisible(StartupConfigChangedOnDisk());
    Recheck();
}

// Reads std.cfg again as at start; a step that undo takes back like any other.
void TGForm::ReloadStartupConfig() {
    std::string reason;
    std::vector<std::string> missingKeys;
    if (!ReadConfig(TSettings::StartupConfigName, Settings, &reason, &missingKeys)) {
        ShowFileFailure(this,
                        Text("Файл конфигурации не считан: ") +
                            QString::fromLatin1(TSettings::StartupConfigName),
                        FromLocal(reason));
        return;
    }
    ConfigNameFromPath(Settings, TSettings::StartupConfigName);
    configRead_ = {TSettings::StartupConfigName, std::move(missingKeys)};
    startupConfigUnread_ = false;
    RememberStartupConfig();
    configChangedBar_->hide();
    UpdateAndRefresh();
}
