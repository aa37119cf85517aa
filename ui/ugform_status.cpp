// What the window says about exam_ddc.ini: a mark beside its write button while the settings
// differ from what the file holds (a click on it shows the lines a write would change), a short
// line after each write, and the run journal of the writes.
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "files/config_file.h"
#include "files/profile_store.h"
#include "files/session.h"
#include "ui/error_display.h"
#include "ui/journal_dialog.h"
#include "ui/ugform.h"
#include "ui/ugform_internal.h"

using namespace ugform;

QWidget* TGForm::BuildIniWriteRow(QPushButton* writeButton) {
    auto* box = new QWidget;
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);

    QFont bold = font();  // every label of the window is bold
    bold.setBold(true);
    auto* row = new QHBoxLayout;
    auto* journal = new QPushButton(Text("Журнал…"));
    journal->setObjectName(QStringLiteral("JournalButton"));
    journal->setMinimumHeight(writeButton->minimumHeight());
    journal->setToolTip(
        Text("Прежние записи exam_ddc.ini в этой папке: что менялось, кем и когда; "
             "их настройки можно вернуть в окно"));
    journal->setAccessibleName(Text("Журнал записей exam_ddc.ini"));
    connect(journal, &QPushButton::clicked, this, &TGForm::OpenJournal);

    // A flat button, so that the mark is clicked, and reached with one Tab, like a link.
    iniPending_ = new QPushButton(Text("● не записано"));
    iniPending_->setFont(bold);
    iniPending_->setObjectName(QStringLiteral("IniPending"));
    iniPending_->setFlat(true);
    iniPending_->setCursor(Qt::PointingHandCursor);
    iniPending_->setStyleSheet(
        QStringLiteral("QPushButton { color: #b36b00; border: none; padding: 0 4px; }"
                       "QPushButton:focus { text-decoration: underline; }"));
    iniPending_->setToolTip(
        Text("Настройки отличаются от записанных в exam_ddc.ini. Щелчок "
             "покажет строки, которые изменит запись"));
    iniPending_->setAccessibleName(Text("Настройки не записаны в exam_ddc.ini"));
    iniPending_->setAccessibleDescription(Text("Показать строки, которые изменит запись"));
    connect(iniPending_, &QPushButton::clicked, this, &TGForm::ShowIniPreview);
    QSizePolicy keepRoom = iniPending_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    iniPending_->setSizePolicy(keepRoom);
    iniPending_->hide();
    rows->addLayout(row);
    // The plan's button in the room left of the write button, which keeps its place: the two
    // sides share that room as before, and the gap a layout puts after a widget (but not after
    // a stretch) is given to the mark alone.
    const int gap = row->spacing();
    row->setSpacing(0);
    auto* left = new QHBoxLayout;
    left->addWidget(BuildPlanButton());
    left->addStretch(1);
    row->addLayout(left, 1);
    row->addWidget(writeButton);
    row->addSpacing(gap);
    auto* right = new QHBoxLayout;
    right->setSpacing(gap);
    right->addWidget(journal);
    right->addWidget(iniPending_, 0, Qt::AlignVCenter);
    right->addStretch(1);
    row->addLayout(right, 1);

    iniStatus_ = new QLabel;
    iniStatus_->setFont(bold);
    iniStatus_->setObjectName(QStringLiteral("IniStatus"));
    iniStatus_->setAlignment(Qt::AlignHCenter);
    iniStatus_->setAccessibleName(Text("Итог записи exam_ddc.ini"));
    rows->addWidget(iniStatus_);
    return box;
}

void TGForm::ShowIniPending() {
    // Before the window is first shown nothing has been loaded: nothing to compare yet.
    const bool pending = formShown_ && iniWatch_.Pending(Settings);
    iniPending_->setVisible(pending);
    // What the last write did is no longer what the file says against the settings.
    if (pending) {
        iniStatus_->clear();
    }
    if (journal_)
        journal_->SetCurrent(Settings);
}

void TGForm::ShowIniWritten(const IniWriteReport& report) {
    QString text =
        report.changedValues == 0
            ? Text("exam_ddc.ini записан: все значения уже были такими")
            : Text("exam_ddc.ini записан: изменено значений: %1").arg(report.changedValues);
    // The write is done either way; the line says that the journal did not keep it, and why.
    if (!report.journalError.empty())
        text += Text("; журнал не записан: ") + FromLocal(report.journalError);
    iniStatus_->setText(text);
    iniStatus_->setToolTip(report.journalEntry ? Text("Запись %1 журнала").arg(*report.journalEntry)
                                               : QString());
    ShowIniPending();
    if (journal_)
        journal_->Reload();
}

void TGForm::ShowIniPreview() {
    std::string reason;
    InitializationFilePreview preview;
    if (!PreviewInitializationFile(Settings, preview, &reason)) {
        ShowFileFailure(
            this,
            Text("Файл инициализации не прочитан: ") + QString::fromLatin1(TSettings::IniFileName),
            FromLocal(reason));
        return;
    }
    if (iniPreview_)
        iniPreview_->close();
    iniPreview_ = MakeIniPreviewDialog(this, preview);
    iniPreview_->show();
}

void TGForm::OpenJournal() {
    if (!journal_) {
        journal_ = new TJournalDialog(
            this, [this](const std::string& configText) { LoadJournalSettings(configText); });
        journal_->SetCurrent(Settings);
    }
    journal_->show();
    journal_->raise();
    journal_->activateWindow();
}

void TGForm::LoadJournalSettings(const std::string& configText) {
    // As reading a configuration file does, from the text the journal kept; the name of the
    // configuration in the window stays, since nothing has been read from a file.
    RunHandler([&] {
        ReadConfigFrom(ProfileStore(configText), Settings);
        UpdateAndRefresh();
    });
}
