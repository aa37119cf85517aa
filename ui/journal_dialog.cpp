#include "ui/journal_dialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <vector>

#include "files/config_file.h"
#include "files/text_diff.h"
#include "ui/name_text.h"
#include "ui/qt_text.h"

using ugform::Text;

namespace {

// Names and values are bytes in the files: shown as the window shows names.
QString Shown(const std::string& bytes) {
    return DecodeName(bytes).text;
}

QString ValueOrNone(const std::optional<std::string>& value) {
    return value ? Shown(*value) : Text("(нет)");
}

QTreeWidget* MakeTable(const char* name, const QStringList& columns) {
    auto* table = new QTreeWidget;
    table->setObjectName(QString::fromLatin1(name));
    table->setRootIsDecorated(false);
    table->setUniformRowHeights(true);
    table->setHeaderLabels(columns);
    table->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->header()->setStretchLastSection(true);
    return table;
}

void AddRow(QTreeWidget* table, const QStringList& cells) {
    new QTreeWidgetItem(table, cells);
}

QLabel* Heading(const char* text) {
    auto* label = new QLabel(Text(text));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

// The entries the filter asks for, newest first. The journal compares bytes, and a name the user
// types may be stored in the locale's encoding or in Windows-1251: both spellings are asked for.
bool ListEntries(Journal& journal, const QString& filter, std::vector<JournalSummary>& entries,
                 std::string* error) {
    std::map<std::int64_t, JournalSummary, std::greater<>> found;
    std::vector<std::string> spellings = {EncodeName(filter, NameEncoding::Local)};
    const std::string cp1251 = EncodeName(filter, NameEncoding::Cp1251);
    if (cp1251 != spellings.front())
        spellings.push_back(cp1251);
    for (const std::string& spelling : spellings) {
        std::vector<JournalSummary> some;
        if (!journal.List({0, spelling}, some, error))
            return false;
        for (JournalSummary& entry : some)
            found.emplace(entry.id, std::move(entry));
    }
    entries.clear();
    for (auto& [id, entry] : found)
        entries.push_back(std::move(entry));
    return true;
}

}  // namespace

TJournalDialog::TJournalDialog(QWidget* parent, std::function<void(const std::string&)> restore)
    : QDialog(parent), restore_(std::move(restore)) {
    setObjectName(QStringLiteral("JournalDialog"));
    setWindowTitle(Text("Журнал записей exam_ddc.ini"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* column = new QVBoxLayout(this);
    filter_ = new QLineEdit;
    filter_->setObjectName(QStringLiteral("JournalFilter"));
    filter_->setClearButtonEnabled(true);
    filter_->setPlaceholderText(Text("Отбор: время, конфигурация, пользователь или параметр"));
    filter_->setAccessibleName(Text("Отбор записей журнала"));
    column->addWidget(filter_);

    state_ = new QLabel;
    state_->setObjectName(QStringLiteral("JournalState"));
    state_->setWordWrap(true);
    column->addWidget(state_);

    auto* splitter = new QSplitter(Qt::Vertical);
    list_ = MakeTable("JournalList", {Text("№"), Text("Время"), Text("Конфигурация"),
                                      Text("Изменений"), Text("Пользователь")});
    list_->setAccessibleName(Text("Записи журнала, новые сверху"));
    splitter->addWidget(list_);

    auto* details = new QWidget;
    auto* detailColumn = new QVBoxLayout(details);
    detailColumn->setContentsMargins(0, 0, 0, 0);
    entryTitle_ = new QLabel;
    entryTitle_->setObjectName(QStringLiteral("JournalEntryTitle"));
    entryTitle_->setWordWrap(true);
    entryTitle_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detailColumn->addWidget(entryTitle_);
    detailColumn->addWidget(Heading("Что изменила эта запись в exam_ddc.ini"));
    changes_ = MakeTable("JournalChanges", {Text("Параметр"), Text("Было"), Text("Стало")});
    detailColumn->addWidget(changes_);
    detailColumn->addWidget(Heading("Чем настройки записи отличаются от текущих"));
    differences_ =
        MakeTable("JournalDifferences", {Text("Параметр"), Text("В записи"), Text("Сейчас")});
    detailColumn->addWidget(differences_);
    splitter->addWidget(details);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    column->addWidget(splitter, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    restoreButton_ =
        buttons->addButton(Text("Вернуть эти настройки"), QDialogButtonBox::ActionRole);
    restoreButton_->setObjectName(QStringLiteral("JournalRestore"));
    restoreButton_->setToolTip(
        Text("Загрузить настройки этой записи в окно одним шагом отмены; файлы не записываются"));
    restoreButton_->setEnabled(false);
    column->addWidget(buttons);

    // textChanged, not editingFinished: the list narrows as the user types.
    connect(filter_, &QLineEdit::textChanged, this, &TJournalDialog::Reload);
    connect(list_, &QTreeWidget::currentItemChanged, this, &TJournalDialog::ShowChosen);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(restoreButton_, &QPushButton::clicked, this, [this] {
        if (chosen_ && restore_)
            restore_(chosen_->configText);
    });

    resize(900, 600);
    Reload();
}

void TJournalDialog::Reload() {
    const QTreeWidgetItem* current = list_->currentItem();
    const std::int64_t chosenId = current ? current->data(0, Qt::UserRole).toLongLong() : 0;
    list_->clear();
    // The line above the list says only what is worth saying: it takes no room otherwise.
    const auto say = [this](const QString& text) {
        state_->setText(text);
        state_->setVisible(!text.isEmpty());
    };
    say(QString());
    if (!JournalAvailable()) {
        say(Text("Журнал недоступен в этой сборке программы."));
        ShowChosen();
        return;
    }
    if (!QFileInfo::exists(QString::fromLatin1(kJournalFileName))) {
        say(Text("Записей пока нет: журнал ведётся с первой записи exam_ddc.ini в этой папке."));
        ShowChosen();
        return;
    }
    std::string error;
    std::vector<JournalSummary> entries;
    const std::unique_ptr<Journal> journal =
        Journal::Open(kJournalFileName, Journal::Access::Read, &error);
    if (!journal || !ListEntries(*journal, filter_->text(), entries, &error)) {
        say(Text("Журнал не прочитан: ") + ugform::FromLocal(error));
        ShowChosen();
        return;
    }
    if (entries.empty() && !filter_->text().isEmpty())
        say(Text("Нет записей, подходящих под отбор."));

    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(entries.size()));
    QTreeWidgetItem* toChoose = nullptr;
    for (const JournalSummary& entry : entries) {
        auto* item =
            new QTreeWidgetItem({QString::number(entry.id),
                                 QString::fromLatin1(LocalTimeText(entry)), Shown(entry.configName),
                                 QString::number(entry.changeCount), Shown(entry.writer.user)});
        item->setData(0, Qt::UserRole, QVariant::fromValue<qlonglong>(entry.id));
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
        if (entry.id == chosenId)
            toChoose = item;
    }
    list_->addTopLevelItems(items);
    if (!toChoose && !items.isEmpty())
        toChoose = items.front();
    list_->setCurrentItem(toChoose);
    ShowChosen();
}

void TJournalDialog::SetCurrent(const TSettings& current) {
    currentConfig_ = ConfigText(current);
    ShowDifferences();
}

void TJournalDialog::ShowChosen() {
    chosen_.reset();
    changes_->clear();
    entryTitle_->clear();
    if (const QTreeWidgetItem* item = list_->currentItem()) {
        std::string error;
        const std::unique_ptr<Journal> journal =
            Journal::Open(kJournalFileName, Journal::Access::Read, &error);
        if (journal)
            chosen_ = journal->Get(item->data(0, Qt::UserRole).toLongLong(), &error);
        if (!chosen_)
            entryTitle_->setText(Text("Запись не прочитана: ") + ugform::FromLocal(error));
    }
    if (chosen_) {
        const JournalSummary& s = chosen_->summary;
        entryTitle_->setText(Text("Запись %1: %2, %3@%4, %5 %6")
                                 .arg(s.id)
                                 .arg(QString::fromLatin1(LocalTimeText(s)), Shown(s.writer.user),
                                      Shown(s.writer.host), Shown(s.writer.program),
                                      Shown(s.writer.version)));
        for (const KeyChange& change : chosen_->changes) {
            AddRow(changes_, {QString::fromLatin1(change.key), ValueOrNone(change.before),
                              ValueOrNone(change.after)});
        }
    }
    restoreButton_->setEnabled(chosen_.has_value());
    ShowDifferences();
}

void TJournalDialog::ShowDifferences() {
    differences_->clear();
    if (!chosen_)
        return;
    for (const KeyChange& difference : ChangedConfigKeys(chosen_->configText, currentConfig_)) {
        AddRow(differences_, {QString::fromLatin1(difference.key), ValueOrNone(difference.before),
                              ValueOrNone(difference.after)});
    }
    if (differences_->topLevelItemCount() == 0)
        AddRow(differences_, {Text("Настройки те же, что в окне"), QString(), QString()});
}

QString IniPreviewText(const InitializationFilePreview& preview) {
    const std::string name = TSettings::IniFileName;
    const std::string diff =
        UnifiedDiff(preview.before, preview.after, preview.exists ? name : "/dev/null", name);
    QStringList lines;
    std::size_t begin = 0;
    while (begin < diff.size()) {
        std::size_t end = diff.find('\n', begin);
        if (end == std::string::npos)
            end = diff.size();
        std::string line = diff.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.append(Shown(line));
        begin = end + 1;
    }
    return lines.join(u'\n');
}

QDialog* MakeIniPreviewDialog(QWidget* parent, const InitializationFilePreview& preview) {
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("IniPreview"));
    dialog->setWindowTitle(Text("Что изменит запись exam_ddc.ini"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* column = new QVBoxLayout(dialog);
    const QString text = IniPreviewText(preview);
    column->addWidget(new QLabel(
        text.isEmpty() ? Text("Запись ничего не изменит: файл уже содержит эти настройки.")
                       : Text("Строки, которые изменит запись (− сейчас в файле, + будет "
                              "записано):")));
    auto* view = new QPlainTextEdit(text);
    view->setObjectName(QStringLiteral("IniPreviewText"));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    column->addWidget(view, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    column->addWidget(buttons);
    dialog->resize(760, 420);
    return dialog;
}
