// "Записать файл инициализации" with error findings standing: the user is asked first, with the
// errors listed, and Cancel is what Enter chooses. The rule of what stops a write is the checks'
// own (WriteStoppers), the same the command line's apply keeps to.
#include "core/checks.h"
#include "ui/error_display.h"
#include "ui/finding_texts.h"
#include "ui/ugform.h"
#include "ui/ugform_internal.h"

using namespace ugform;

bool TGForm::MayWriteIni() {
    // Asked of the disk afresh: the kept answers may be a second old.
    const std::vector<Finding> stoppers = WriteStoppers(CurrentFindings(true));
    if (stoppers.empty()) {
        return true;
    }
    const QChar separator = QChar::fromLatin1(DecimalSeparator());
    QString list;
    for (const Finding& finding : stoppers) {
        list += (list.isEmpty() ? QString() : QStringLiteral("\n")) + Text("• ") +
                FindingText(finding, separator);
    }
    return AskOrCancel(this, QMessageBox::Warning, "WriteWithErrorsQuestion",
                       (stoppers.size() == 1
                            ? Text("В настройках есть ошибка:\n")
                            : Text("В настройках есть ошибки (%1):\n").arg(stoppers.size())) +
                           list,
                       Text(stoppers.size() == 1 ? "С ней" : "С ними") +
                           Text(" программа сбора, скорее всего, не запустится или запишет не "
                                "то. Всё равно записать ") +
                           QString::fromLatin1(TSettings::IniFileName) + u'?',
                       {{QMessageBox::Yes, "Записать"}}) == QMessageBox::Yes;
}
