#include "ui/ugform_folder.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QUndoStack>
#include <memory>

#include "ui/startup.h"
#include "ui/ugform.h"

namespace {

QString FolderText() {
    return QString::fromUtf8("Рабочая папка: ") + QDir::toNativeSeparators(QDir::currentPath());
}

}  // namespace

QSettings* NewRememberedFolderSettings() {
    return new QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("TESSARO"),
                         QStringLiteral("tessaro-master"));
}

bool ChooseWorkingFolder(QSettings& remembered, const std::function<QString(const QString&)>& ask) {
    const QString chosen = ask(QDir::currentPath());
    if (chosen.isEmpty()) {
        return false;
    }
    const QByteArray folder = QFile::encodeName(chosen);
    if (!QDir::setCurrent(chosen)) {
        return false;
    }
    remembered.setValue(QLatin1String(kWorkingFolderKey), folder);
    remembered.sync();
    return true;
}

QWidget* BuildWorkingFolderLine(TGForm* form) {
    auto* line = new QWidget;
    auto* row = new QHBoxLayout(line);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(FolderText());
    label->setObjectName(QStringLiteral("WorkingFolderLabel"));
    QFont bold = label->font();
    bold.setBold(true);  // as every label of the window
    label->setFont(bold);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path is cut at the window's edge rather than widening the page.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setToolTip(QString::fromUtf8(
        "Папка программы сбора: std.cfg, exam_ddc.ini, CONFIGS, MODSET и PRGFILES берутся отсюда"));
    auto* button = new QPushButton(QString::fromUtf8("Сменить…"));
    button->setObjectName(QStringLiteral("WorkingFolderButton"));
    button->setAccessibleName(QString::fromUtf8("Сменить рабочую папку"));
    button->setToolTip(QString::fromUtf8(
        "Выбрать другую рабочую папку: настройки сохраняются в std.cfg этой папки, затем "
        "читаются std.cfg и exam_ddc.ini новой; папка запоминается для следующего запуска"));
    row->addWidget(label, 1);
    row->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, form, [form, label] {
        const std::unique_ptr<QSettings> remembered(NewRememberedFolderSettings());
        const QString before = QDir::currentPath();
        form->FormClose(form);  // the settings stay with the folder they belong to
        if (!ChooseWorkingFolder(*remembered, AskForWorkingFolder) ||
            QDir::currentPath() == before) {
            return;
        }
        form->Settings = TSettings{};
        form->FormShow(form);
        if (auto* undo = form->findChild<QUndoStack*>()) {
            undo->clear();  // the steps belong to the other folder's settings
        }
        label->setText(FolderText());
    });
    return line;
}
