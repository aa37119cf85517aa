// What the window says about exam_ddc.ini: a mark beside its write button while the settings
// differ from what the file holds, and a short line after each write.
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "files/session.h"
#include "ui/error_display.h"
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
    iniPending_ = new QLabel(Text("● не записано"));
    iniPending_->setFont(bold);
    iniPending_->setObjectName(QStringLiteral("IniPending"));
    iniPending_->setStyleSheet(QStringLiteral("color: #b36b00"));
    iniPending_->setToolTip(Text("Настройки отличаются от записанных в exam_ddc.ini"));
    iniPending_->setAccessibleName(Text("Настройки не записаны в exam_ddc.ini"));
    // The mark keeps its room when hidden, so that the button does not move.
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
    row->addWidget(iniPending_, 1, Qt::AlignLeft | Qt::AlignVCenter);

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
}

void TGForm::ShowIniWritten(std::size_t changedValues) {
    iniStatus_->setText(
        changedValues == 0
            ? Text("exam_ddc.ini записан: все значения уже были такими")
            : Text("exam_ddc.ini записан: изменено значений: %1").arg(changedValues));
    ShowIniPending();
}
