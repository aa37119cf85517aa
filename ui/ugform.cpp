#include "ui/ugform.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <bit>
#include <cmath>
#include <exception>
#include <vector>

#include "core/editing_rules.h"
#include "core/errors.h"
#include "core/number_text.h"
#include "core/recording_size.h"
#include "files/config_file.h"
#include "files/ini_file.h"
#include "ui/error_display.h"
#include "ui/number_display.h"

TGForm* GForm = nullptr;

namespace {

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QString FromFileName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

std::string ToFileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QCheckBox* Box(QWidget* control) {
    return static_cast<QCheckBox*>(control);
}

QLineEdit* EditOf(QWidget* control) {
    return static_cast<QLineEdit*>(control);
}

// clang-format off
const std::array<std::vector<const char*>, 7> kComboItems = {{
    {},
    {"Внутренний", "Внешний"},
    {"Работа с OSMIR файл data.bin", "Прямая запись в файл"},
    {" 1 - по старту ввода", " 2 -  программный"},
    {" 0 - SLAVE", " 1- SINGLE", " 2 - MASTER"},
    {" 0 - программный", " 2-  SDX", " 4 - SYNX"},
    {" 1024", " 2048", " 4096", " 8192", "16384"},
}};

// What Edit25 and Edit20 show when the recording size has no result, and why.
struct NoResultText {
    RecordingSizeStatus status;
    const char* shown;
    const char* why;
};
const NoResultText kNoResultTexts[] = {
    {RecordingSizeStatus::NoChannels,      "нет каналов",   "Не включён ни один канал: записывать нечего"},
    {RecordingSizeStatus::NoBuffer,        "нет буфера",    "В exam_ddc.ini не задан размер буфера (DirFileBufSize)"},
    {RecordingSizeStatus::NegativeRequest, "меньше нуля",   "Число отсчётов на канал меньше нуля"},
    {RecordingSizeStatus::TooLarge,        "слишком много", "Запись такого размера не помещается в 32-разрядные числа"},
    {RecordingSizeStatus::UnknownMode,     "режим?",        "Неизвестный источник отсчётов (EnableDDC не 0 и не 1)"},
};
// clang-format on

// Restores the working directory when a dialog operation ends, however it ends.
class WorkingDirectoryKeeper {
  public:
    WorkingDirectoryKeeper() : saved_(QDir::currentPath()) {}
    ~WorkingDirectoryKeeper() { QDir::setCurrent(saved_); }
    WorkingDirectoryKeeper(const WorkingDirectoryKeeper&) = delete;
    WorkingDirectoryKeeper& operator=(const WorkingDirectoryKeeper&) = delete;
    const QString& Path() const { return saved_; }

  private:
    QString saved_;
};

// A sub-folder of the working directory as a dialog's first folder; the working directory
// itself when the sub-folder is not there.
QString FolderIn(const QString& workingDirectory, const char* name) {
    const QDir dir(workingDirectory);
    return dir.exists(QString::fromLatin1(name)) ? dir.filePath(QString::fromLatin1(name))
                                                 : workingDirectory;
}

// Opens the dialog at `folder` (the last chosen file, when there is one, takes its place as
// the field's first text) and returns the chosen full path, or an empty text when cancelled.
QString ChooseFile(QFileDialog* dialog, const QString& folder) {
    dialog->setDirectory(folder);
    const QString last = dialog->property("lastChosen").toString();
    if (!last.isEmpty()) {
        dialog->selectFile(last);
    }
    const int result = dialog->exec();
    // A completion list still open when Enter accepted the name would stay over the window.
    for (QCompleter* completer : dialog->findChildren<QCompleter*>()) {
        if (QWidget* popup = completer->popup(); popup->isVisible()) {
            popup->hide();
        }
    }
    dialog->parentWidget()->activateWindow();
    if (result != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return {};
    }
    const QString chosen = dialog->selectedFiles().constFirst();
    dialog->setProperty("lastChosen", chosen);
    return chosen;
}

}  // namespace

TGForm::TGForm(QWidget* parent) : QWidget(parent) {
    setWindowTitle(Text(" Мастер TESSARO"));
    setFont(QFont(QStringLiteral("Sans Serif"), 8));
    FormCreate(this);
    resize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Centred, but a window taller or wider than the desktop keeps its caption on it.
        const QRect desktop = screen->availableGeometry();
        const QPoint centred = desktop.center() - rect().center();
        move(std::max(centred.x(), desktop.left()), std::max(centred.y(), desktop.top()));
    }
}

TGForm::~TGForm() = default;

// ---------------------------------------------------------------------------------------------
// The window, top to bottom.

void TGForm::BuildWindow() {
    QFont bold = font();
    bold.setBold(true);

    auto label = [&](const char* text) {
        auto* l = new QLabel(Text(text));
        l->setFont(bold);
        return l;
    };
    auto checkBox = [&](int n) {
        auto* b = new QCheckBox;
        b->setObjectName(QStringLiteral("CheckBox%1").arg(n));
        checkBox_[n] = b;
        return b;
    };
    auto edit = [&](int n, int width = 0) {
        auto* e = new QLineEdit;
        e->setObjectName(QStringLiteral("Edit%1").arg(n));
        if (width > 0) {
            e->setFixedWidth(width);
        }
        edit_[n] = e;
        return e;
    };
    auto comboBox = [&](int n, int width) {
        auto* c = new QComboBox;
        c->setObjectName(QStringLiteral("ComboBox%1").arg(n));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        // Typed text stays as typed: no inline completion from the items.
        c->setCompleter(nullptr);
        for (const char* item : kComboItems[n]) {
            c->addItem(Text(item));
        }
        c->setFixedWidth(width);
        comboBox_[n] = c;
        return c;
    };
    auto radioButton = [&](int n, const char* text) {
        auto* r = new QRadioButton(Text(text));
        r->setObjectName(QStringLiteral("RadioButton%1").arg(n));
        r->setFont(bold);
        radioButton_[n] = r;
        return r;
    };
    auto button = [&](int n, const char* text, int minWidth = 0) {
        auto* b = new QPushButton(Text(text));
        b->setObjectName(QStringLiteral("Button%1").arg(n));
        b->setFont(bold);
        if (minWidth > 0) {
            b->setMinimumWidth(minWidth);
        }
        button_[n] = b;
        return b;
    };
    // A frame without caption holding side-by-side or stacked radio buttons, exclusive as a
    // group box keeps them.
    auto radioGroup = [&](Qt::Orientation orientation, std::initializer_list<QRadioButton*> rs) {
        auto* g = new QGroupBox;
        QBoxLayout* l = orientation == Qt::Horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(g))
                                                      : new QVBoxLayout(g);
        l->setContentsMargins(6, 2, 6, 2);
        l->setSpacing(orientation == Qt::Horizontal ? 24 : 0);
        for (QRadioButton* r : rs) {
            l->addWidget(r);
        }
        if (orientation == Qt::Horizontal) {
            l->addStretch();
        }
        return g;
    };
    const QFontMetrics metrics(font());
    // Room for a text in an edit: the text plus the frame and margins.
    auto fit = [&](const char* sample) { return metrics.horizontalAdvance(Text(sample)) + 14; };

    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(8, 4, 8, 8);
    column->setSpacing(3);
    auto bevel = [&] {
        auto* line = new QFrame;
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Raised);
        column->addWidget(line);
    };
    auto row = [&] {
        auto* r = new QHBoxLayout;
        column->addLayout(r);
        return r;
    };
    auto grid = [&] {
        auto* g = new QGridLayout;
        g->setHorizontalSpacing(6);
        g->setVerticalSpacing(2);
        column->addLayout(g);
        return g;
    };
    const int fieldWidth = fit("110000000000");

    // 1. Configuration file.
    {
        QHBoxLayout* r = row();
        r->addWidget(label("Файл конфигурации "));
        r->addStretch();
        r->addWidget(button(12, "Считать", 75));
        r->addWidget(button(13, "Записать", 75));
        edit(23)->setReadOnly(true);
        column->addWidget(edit_[23]);
    }
    bevel();

    // 2. Clock.
    {
        QGridLayout* g = grid();
        g->addWidget(label("Источник  тактовой частоты"), 0, 0);
        g->addWidget(comboBox(1, fit("Внутренний") + 24), 0, 1);
        g->addWidget(label("Значение  тактовой частоты"), 1, 0);
        g->addWidget(edit(18, fieldWidth), 1, 1);
        g->setColumnStretch(2, 1);
    }
    bevel();

    // 3. Mode.
    {
        QHBoxLayout* r = row();
        r->addWidget(label("Режим"));
        r->addSpacing(30);
        r->addWidget(radioGroup(Qt::Horizontal,
                                {radioButton(1, "отсчеты с АЦП"), radioButton(2, "отсчеты с DDC")}),
                     1);
    }
    bevel();

    // 4. ADC range.
    {
        QGridLayout* g = grid();
        for (int j = 0; j < kAdcs; ++j) {
            g->addWidget(label(("  АЦП" + std::to_string(j)).c_str()), 0, j + 1);
            QRadioButton* low = radioButton(5 + 2 * j, "0.5 B");
            QRadioButton* high = radioButton(6 + 2 * j, "0.34 B");
            g->addWidget(radioGroup(Qt::Vertical, {low, high}), 1, j + 1);
        }
        g->addWidget(label("Шкала АЦП"), 1, 0);
    }
    bevel();

    // 5. ADC channels and dither.
    {
        QGridLayout* g = grid();
        g->setHorizontalSpacing(2);
        g->setVerticalSpacing(0);
        g->addWidget(label("Каналы АЦП"), 1, 0);
        g->setColumnMinimumWidth(1, 8);
        for (int j = 0; j < kAdcs; ++j) {
            g->addWidget(label(std::to_string(j).c_str()), 0, j + 2, Qt::AlignHCenter);
            QCheckBox* b = checkBox(86 + j);
            b->setFont(bold);
            g->addWidget(b, 1, j + 2, Qt::AlignHCenter);
        }
        checkBox_[86]->setEnabled(false);
        g->setColumnStretch(6, 1);
        g->addWidget(label("  Dither"), 1, 7);
        g->addWidget(checkBox(85), 1, 8);
    }
    bevel();

    // 6. DDC program file.
    {
        QHBoxLayout* r = row();
        r->addWidget(label("Файл конфигурации DDC (*.prg)"));
        r->addStretch();
        r->addWidget(button(11, "Выбрать файл"));
        column->addWidget(edit(22));
    }
    bevel();

    // 7. NCO frequencies: channels 0-3 down the first column, 4-7 the second, and so on.
    {
        column->addWidget(label("Частота NCO"), 0, Qt::AlignHCenter);
        QGridLayout* g = grid();
        g->setHorizontalSpacing(2);
        const int frequencyWidth = fit("1070000000");
        for (int i = 0; i < kDdcChannels; ++i) {
            const int r = i % 4;
            const int c = (i / 4) * 4;
            g->addWidget(label(std::to_string(i).c_str()), r, c, Qt::AlignRight);
            g->addWidget(checkBox(69 + i), r, c + 1);
            QLineEdit* e = edit(1 + i, frequencyWidth);
            e->setProperty("tag", i);
            g->addWidget(e, r, c + 2);
            if (i % 4 == 0 && i > 0) {
                g->setColumnMinimumWidth(c - 1, 6);
            }
        }
        QHBoxLayout* r = row();
        r->addWidget(label("Частота"));
        r->addWidget(edit(17, frequencyWidth));
        auto* buttons = new QVBoxLayout;
        buttons->setSpacing(1);
        buttons->addWidget(button(7, "Применить для всех каналов"));
        buttons->addWidget(button(8, "Применить для выбранных каналов"));
        r->addSpacing(10);
        r->addLayout(buttons, 1);
    }
    bevel();

    // 8. Channel-to-ADC matrix: rows are ADCs, columns DDC channels, grouped by four.
    {
        column->addWidget(label("Каналы DDC"), 0, Qt::AlignHCenter);
        QGridLayout* g = grid();
        g->setHorizontalSpacing(0);
        g->setVerticalSpacing(0);
        g->addWidget(label("АЦП"), 0, 0, 1, 2);
        auto matrixColumn = [](int c) { return 3 + c + c / 4; };
        // Every column as wide as the widest number over it, with a little air.
        const int columnWidth = QFontMetrics(bold).horizontalAdvance(QStringLiteral("15")) + 6;
        for (int c = 0; c < kDdcChannels; ++c) {
            matrixHead_[c] = label(std::to_string(c).c_str());
            g->addWidget(matrixHead_[c], 0, matrixColumn(c), Qt::AlignHCenter);
            g->setColumnMinimumWidth(matrixColumn(c), columnWidth);
            if (c % 4 == 0 && c > 0) {
                g->setColumnMinimumWidth(matrixColumn(c) - 1, 8);
            }
        }
        for (int j = 0; j < kAdcs; ++j) {
            g->addWidget(label(std::to_string(j).c_str()), j + 1, 0, Qt::AlignHCenter);
            QCheckBox* inUse = checkBox(65 + j);
            inUse->setEnabled(false);
            g->addWidget(inUse, j + 1, 1);
            for (int c = 0; c < kDdcChannels; ++c) {
                QCheckBox* b = checkBox(4 * c + j + 1);
                b->setProperty("tag", c);
                g->addWidget(b, j + 1, matrixColumn(c), Qt::AlignHCenter);
            }
        }
        checkBox_[65]->setChecked(true);
        g->setColumnMinimumWidth(2, 10);
        g->setColumnStretch(matrixColumn(kDdcChannels), 1);

        QHBoxLayout* r = row();
        auto* channelButtons = new QVBoxLayout;
        channelButtons->setSpacing(1);
        channelButtons->addWidget(button(5, "Включить все  каналы    "));
        channelButtons->addWidget(button(6, "Включить только канал 0 "));
        const int sharedWidth =
            std::max(button_[5]->sizeHint().width(), button_[6]->sizeHint().width());
        button_[5]->setFixedWidth(sharedWidth);
        button_[6]->setFixedWidth(sharedWidth);
        r->addLayout(channelButtons);
        r->addStretch();
        auto* toAdc = new QGridLayout;
        toAdc->setSpacing(2);
        toAdc->addWidget(label("Все каналы к АЦП"), 0, 0, 1, 4, Qt::AlignHCenter);
        // "0" to "3" are Button2, Button1, Button3, Button4.
        const int toAdcButtons[kAdcs] = {2, 1, 3, 4};
        for (int k = 0; k < kAdcs; ++k) {
            QPushButton* b = button(toAdcButtons[k], std::to_string(k).c_str());
            b->setProperty("tag", k);
            b->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0")) + 20);
            toAdc->addWidget(b, 1, k);
        }
        r->addLayout(toAdc);
    }
    bevel();

    // 9. DDC data format.
    {
        QHBoxLayout* r = row();
        r->addWidget(label("Формат данных DDC"));
        r->addSpacing(10);
        r->addWidget(
            radioGroup(Qt::Horizontal, {radioButton(3, "16 бит"), radioButton(4, "24 бита")}));
        r->addStretch();
    }
    bevel();

    // 10. Synchronisation.
    {
        QGridLayout* g = grid();
        const int width = fit(" 1 - по старту ввода") + 24;
        g->addWidget(label("Режим синхронизации DDC"), 0, 0);
        g->addWidget(comboBox(3, width), 0, 1, 1, 2);
        g->addWidget(label("Мастер режим"), 1, 0);
        g->addWidget(comboBox(4, width), 1, 1, 1, 2);
        g->addWidget(label("Источник старта"), 2, 0);
        g->addWidget(comboBox(5, width), 2, 1, 1, 2);
        g->addWidget(label("Порог компаратора"), 3, 0);
        g->addWidget(edit(24, fit("-2,50")), 3, 1);
        g->addWidget(label("-2,5...+2,5 В"), 3, 2);
        g->setColumnStretch(3, 1);
    }
    bevel();

    // 11. Operating mode.
    {
        QHBoxLayout* r = row();
        r->addWidget(label("Режим работы"));
        r->addStretch();
        r->addWidget(comboBox(2, fit("Работа с OSMIR файл data.bin") + 24));
    }
    bevel();

    // 12. Viewer samples.
    {
        QHBoxLayout* r = row();
        r->addWidget(label("Число отсчётов на канал при работе с OSMIR"));
        r->addStretch();
        r->addWidget(comboBox(6, fit("16384") + 24));
    }
    bevel();

    // 13. Direct recording.
    {
        QHBoxLayout* r = row();
        r->addWidget(label("Имя файла для прямой записи"));
        r->addStretch();
        r->addWidget(button(10, "Выбрать файл"));
        column->addWidget(edit(21));
        QGridLayout* g = grid();
        const int width = fit("слишком много");
        g->addWidget(label("Число отсчётов на канал при прямой записи "), 0, 0);
        g->addWidget(edit(19, width), 0, 1);
        g->addWidget(label("Реальное значение"), 1, 0, Qt::AlignRight);
        g->addWidget(edit(25, width), 1, 1);
        g->addWidget(label("Размер файла (Кбайт)"), 2, 0, Qt::AlignRight);
        g->addWidget(edit(20, width), 2, 1);
        edit_[25]->setEnabled(false);
        edit_[20]->setEnabled(false);
    }
    bevel();

    // 14. The initialization file.
    {
        QPushButton* b = button(9, "Записать файл инициализации", 193);
        b->setMinimumHeight(25);
        column->addWidget(b, 0, Qt::AlignHCenter);
    }

    // Controls keep their places when the window grows: the page stays at the top left.
    page->setFixedSize(page->sizeHint());
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSizeConstraint(QLayout::SetMinimumSize);
    outer->addWidget(page, 0, Qt::AlignLeft | Qt::AlignTop);
}

// The dialogs exist with the window, so that their filters and suffixes can be looked at by
// name before they first open (they cost about as much to build as the rest of the window).
void TGForm::CreateDialogs() {
    auto dialog = [this](const char* name, QFileDialog::AcceptMode mode, const char* filter,
                         const char* suffix) {
        auto* d = new QFileDialog(this);
        d->setObjectName(QString::fromLatin1(name));
        d->setOption(QFileDialog::DontUseNativeDialog);
        d->setAcceptMode(mode);
        // Opened files are not checked for existence; a missing one is reported when read.
        d->setFileMode(QFileDialog::AnyFile);
        d->setNameFilter(Text(filter));
        d->setDefaultSuffix(QString::fromLatin1(suffix));
        return d;
    };
    // clang-format off
    saveDialog1_ = dialog("SaveDialog1", QFileDialog::AcceptSave, "DataFileA TESSARO(*.bin)",   "bin");
    saveDialog3_ = dialog("SaveDialog3", QFileDialog::AcceptSave, "ConfigFiles TESSARO(*.cfg)", "cfg");
    openDialog1_ = dialog("OpenDialog1", QFileDialog::AcceptOpen, "ConfigFiles TESSARO(*.cfg)", "cfg");
    openDialog2_ = dialog("OpenDialog2", QFileDialog::AcceptOpen, "FileConfig  DDC(*.prg)",     "prg");
    // clang-format on
}

// ---------------------------------------------------------------------------------------------
// Wiring. Check boxes use `toggled` and radio buttons `toggled(true)`, so that a change from the
// program raises the handler as a click does; combo boxes use `activated` and the typed text
// (`textEdited`), edits the event filter, so that the program's own setCurrentIndex() and
// setText() raise nothing.

void TGForm::WireControls() {
    auto onToggle = [this](QAbstractButton* b, Handler handler, bool onlyWhenTicked) {
        connect(b, &QAbstractButton::toggled, this, [=, this](bool ticked) {
            if (ticked || !onlyWhenTicked) {
                RunHandler([=, this] { (this->*handler)(b); });
            }
        });
    };
    for (int n = 1; n <= 64; ++n) {
        onToggle(checkBox_[n], &TGForm::CheckBox1Click, false);
    }
    for (int n = 69; n <= 84; ++n) {
        onToggle(checkBox_[n], &TGForm::CheckBox69Click, false);
    }
    onToggle(checkBox_[85], &TGForm::RadioButton1Click, false);
    for (int n = 86; n <= 89; ++n) {
        onToggle(checkBox_[n], &TGForm::Edit17Exit, false);
    }

    // clang-format off
    const std::pair<int, Handler> radioHandlers[] = {
        {1,  &TGForm::RadioButton1Click}, {2,  &TGForm::RadioButton1Click},
        {3,  &TGForm::RadioButton3Click}, {4,  &TGForm::RadioButton4Click},
        {5,  &TGForm::RadioButton1Click}, {6,  &TGForm::RadioButton1Click},
        {7,  &TGForm::RadioButton1Click}, {8,  &TGForm::RadioButton1Click},
        {9,  &TGForm::RadioButton1Click}, {10, &TGForm::RadioButton1Click},
        {11, &TGForm::RadioButton1Click}, {12, &TGForm::RadioButton1Click},
    };
    const std::pair<int, Handler> buttonHandlers[] = {
        {1,  &TGForm::Button2Click},  {2,  &TGForm::Button2Click},  {3,  &TGForm::Button2Click},
        {4,  &TGForm::Button2Click},  {5,  &TGForm::Button5Click},  {6,  &TGForm::Button6Click},
        {7,  &TGForm::Button7Click},  {8,  &TGForm::Button8Click},  {9,  &TGForm::Button9Click},
        {10, &TGForm::Button10Click}, {11, &TGForm::Button11Click}, {12, &TGForm::Button12Click},
        {13, &TGForm::Button13Click},
    };
    const std::pair<int, Handler> comboHandlers[] = {
        {1, &TGForm::ComboBox1Change}, {2, &TGForm::RadioButton1Click},
        {3, &TGForm::ComboBox3Change}, {4, &TGForm::ComboBox3Change},
        {5, &TGForm::ComboBox3Change}, {6, &TGForm::ComboBox6Change},
    };
    const std::pair<int, EditWiring> editHandlers[] = {
        {17, {&TGForm::Edit17Exit, &TGForm::Edit17KeyPress}},
        {18, {&TGForm::Edit18Exit, &TGForm::Edit18KeyPress}},
        {19, {&TGForm::Edit19Exit, &TGForm::Edit19KeyPress}},
        {21, {&TGForm::Edit21Exit, &TGForm::Edit21KeyPress}},
        {22, {&TGForm::Edit22Exit, &TGForm::Edit22KeyPress}},
        {24, {&TGForm::Edit24Exit, &TGForm::Edit24KeyPress}},
    };
    // clang-format on

    for (const auto& [n, handler] : radioHandlers) {
        onToggle(radioButton_[n], handler, true);
    }
    for (const auto& [n, handler] : buttonHandlers) {
        QPushButton* b = button_[n];
        connect(b, &QPushButton::clicked, this,
                [=, this] { RunHandler([=, this] { (this->*handler)(b); }); });
    }
    for (const auto& [n, handler] : comboHandlers) {
        QComboBox* combo = comboBox_[n];
        connect(combo, &QComboBox::activated, this,
                [=, this] { RunHandler([=, this] { (this->*handler)(combo); }); });
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, [=, this](const QString& text) {
            // Typed text selects the item it matches exactly, or none; the text stays as typed
            // (QComboBox clears its field when the selection is set to none).
            const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (index != combo->currentIndex()) {
                QLineEdit* field = combo->lineEdit();
                const int cursor = field->cursorPosition();
                combo->setCurrentIndex(index);
                field->setText(text);
                field->setCursorPosition(cursor);
            }
            typingInto_ = combo;
            RunHandler([=, this] { (this->*handler)(combo); });
            typingInto_ = nullptr;
        });
    }
    for (int i = 0; i < kDdcChannels; ++i) {
        editWiring_[1 + i] = {&TGForm::Edit1Exit, &TGForm::Edit1KeyPress};
    }
    for (const auto& [n, wiring] : editHandlers) {
        editWiring_[n] = wiring;
    }
    for (int n = 1; n <= 25; ++n) {
        if (editWiring_[n].exit != nullptr) {
            edit_[n]->installEventFilter(this);
        }
    }
}

bool TGForm::RunHandler(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        ShowErrorMessage(this, FromLocal(e.what()));
    } catch (...) {
        ShowErrorMessage(this, QString());
    }
    return false;
}

void TGForm::RunExit(QLineEdit* edit, const EditWiring& wiring) {
    dropClickAfterFailedExit_ = false;
    if (RunHandler([&] { (this->*wiring.exit)(edit); })) {
        return;
    }
    // The refused text keeps the focus, as the click that moved it away is dropped.
    dropClickAfterFailedExit_ = true;
    qApp->installEventFilter(this);
    QTimer::singleShot(0, this, [this, edit] {
        if (dropClickAfterFailedExit_) {
            dropClickAfterFailedExit_ = false;
            qApp->removeEventFilter(this);
        }
        edit->setFocus(Qt::OtherFocusReason);
    });
}

bool TGForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (dropClickAfterFailedExit_ &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick)) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            if (type == QEvent::MouseButtonRelease) {
                dropClickAfterFailedExit_ = false;
                qApp->removeEventFilter(this);
            }
            return true;
        }
        return false;
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr || edit->window() != this) {
        return false;
    }
    const int n = edit->objectName().mid(4).toInt();
    if (n <= 0 || n > 25 || edit_[n] != edit || editWiring_[n].exit == nullptr) {
        return false;
    }
    if (type == QEvent::FocusOut) {
        // Only a move to another control of the window takes the value, not the window
        // losing activation or a popup opening.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            RunExit(edit, editWiring_[n]);
        }
    } else if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const KeyHandler keyPress = editWiring_[n].keyPress;
            RunHandler([=, this] { (this->*keyPress)(edit, '\r'); });
        }
    }
    return false;  // the key is passed on to the edit
}

// ---------------------------------------------------------------------------------------------
// Lifecycle.

void TGForm::FormCreate(QObject*) {
    if (ControlTable[0] != nullptr) {
        return;
    }
    BuildWindow();
    for (int k = 0; k < 64; ++k) {
        ControlTable[k] = checkBox_[k + 1];
    }
    for (int j = 0; j < kAdcs; ++j) {
        ControlTable[64 + j] = checkBox_[65 + j];
        ControlTable[68 + j] = checkBox_[86 + j];
        GainPairs[j] = {radioButton_[5 + 2 * j], radioButton_[6 + 2 * j]};
    }
    for (int i = 0; i < kDdcChannels; ++i) {
        ControlTable[72 + i] = edit_[1 + i];
        ControlTable[88 + i] = checkBox_[69 + i];
    }
    CreateDialogs();
    WireControls();
    ReadDecimalSeparator();
}

void TGForm::FormShow(QObject*) {
    ReadConfig(TSettings::StartupConfigName);
    ReadIni(TSettings::IniFileName);
    Refresh();
}

void TGForm::FormClose(QObject*) {
    std::string reason;
    if (!WriteConfig(TSettings::StartupConfigName, &reason)) {
        ShowFileFailure(this,
                        Text("Настройки не сохранены: не удалось записать файл ") +
                            QString::fromLatin1(TSettings::StartupConfigName) + u'.',
                        FromLocal(reason));
    }
}

void TGForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!formShown_) {
        formShown_ = true;
        RunHandler([this] { FormShow(this); });
    }
}

void TGForm::closeEvent(QCloseEvent* event) {
    RunHandler([this] { FormClose(this); });
    event->accept();
}

void TGForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) {
        ReadDecimalSeparator();
        if (formShown_) {
            RunHandler([this] { Refresh(); });
        }
    }
}

void TGForm::ReadDecimalSeparator() {
    // The separator is one 8-bit character for the number texts; a point when the locale's
    // is not one.
    const QString point = QLocale().decimalPoint();
    decimalSeparator_ = !point.isEmpty() && point.front().unicode() < 0x80
                            ? static_cast<char>(point.front().unicode())
                            : '.';
}

// ---------------------------------------------------------------------------------------------
// Refresh and harvest.

std::string TGForm::TextOf(const QLineEdit* edit) const {
    return edit->text().toLocal8Bit().toStdString();
}

// A selection out of the list leaves none; an unchanged selection is not set again, so text
// typed into the field (no selection) stays.
void TGForm::SelectItem(QComboBox* combo, int64_t index) {
    if (index < 0 || index >= combo->count()) {
        index = -1;
    }
    if (combo->currentIndex() != index) {
        combo->setCurrentIndex(static_cast<int>(index));
    }
}

void TGForm::MarkBadInputSource(int channel, int32_t source) {
    // An ADC number outside 0..3 (only a file can hold one) ticks nothing: the column's number
    // turns red and says why.
    const bool bad = source < 0 || source >= kAdcs;
    QLabel* head = matrixHead_[channel];
    if (bad != badInputSource_[channel]) {
        badInputSource_[channel] = bad;
        head->setStyleSheet(bad ? QStringLiteral("color: #c00000") : QString());
    }
    if (bad) {
        head->setToolTip(
            Text("Канал %1 подключён к несуществующему АЦП %2").arg(channel).arg(source));
    } else if (!head->toolTip().isEmpty()) {
        head->setToolTip(QString());
    }
}

void TGForm::Refresh() {
    Updating = true;
    struct EndOfRefresh {
        bool& updating;
        ~EndOfRefresh() { updating = false; }
    } endOfRefresh{Updating};
    const char sep = decimalSeparator_;

    for (int i = 0; i < kDdcChannels; ++i) {
        EditOf(ControlTable[72 + i])
            ->setText(QString::fromStdString(FormatFrequency(Settings.FrequencyNCO[i], sep)));
    }
    for (int k = 0; k < 64; ++k) {
        Box(ControlTable[k])->setChecked(false);
    }
    for (int j = 1; j < kAdcs; ++j) {
        Box(ControlTable[64 + j])->setChecked(false);
    }
    for (int j = 1; j < kAdcs; ++j) {
        Box(ControlTable[68 + j])->setChecked(false);
    }

    Settings.EnabledDdcCount = 0;
    for (int c = 0; c < kDdcChannels; ++c) {
        const bool enabled = BitTest(Settings.DDCChannelMask, c);
        const int32_t source = enabled ? Settings.InputSource[c] : 0;
        if (enabled) {
            ++Settings.EnabledDdcCount;
            if (source >= 0 && source < kAdcs) {
                Box(ControlTable[4 * c + source])->setChecked(true);
                Box(ControlTable[64 + source])->setChecked(true);
            }
        }
        MarkBadInputSource(c, source);
    }
    Settings.EnabledAdcCount = 0;
    for (int j = 0; j < kAdcs; ++j) {
        if (BitTest(Settings.ChannelMask, j)) {
            ++Settings.EnabledAdcCount;
            Box(ControlTable[68 + j])->setChecked(true);
        }
    }

    const RecordingSizeStatus sizeStatus =
        ComputeRecordingSize(Settings, Settings.DirSamplesPerChannel).status;
    Settings.DirRealSamplesPerChannel = RecordingSizeCalc(Settings.DirSamplesPerChannel);
    ShowRecordingSize(edit_[25], sizeStatus, Settings.DirRealSamplesPerChannel);

    for (int i = 0; i < kDdcChannels; ++i) {
        Box(ControlTable[88 + i])->setChecked(BitTest(Settings.MaskSelFreqNCO, i));
    }
    edit_[17]->setText(QString::fromStdString(FormatFrequency(Settings.FreqNC0, sep)));

    SelectItem(comboBox_[1], Settings.ClockSource);
    const bool external = Settings.ClockSource != 0;
    edit_[18]->setEnabled(external);
    edit_[18]->setText(QString::fromStdString(FormatFrequency(
        external ? Settings.ExternalClockValue : Settings.InternalClockValue, sep)));

    radioButton_[Settings.EnableDDC != 0 ? 2 : 1]->setChecked(true);
    checkBox_[85]->setChecked(Settings.Dither != 0);
    if (Settings.DataFormat == 0) {
        radioButton_[3]->setChecked(true);
    } else if (Settings.DataFormat == 4) {
        radioButton_[4]->setChecked(true);
    }
    SelectItem(comboBox_[2], Settings.WorkMode);
    for (int j = 0; j < kAdcs; ++j) {
        (BitTest(Settings.AdcGainMask, j) ? GainPairs[j].second : GainPairs[j].first)
            ->setChecked(true);
    }

    edit_[19]->setText(QString::number(Settings.DirSamplesPerChannel));
    ShowRecordingSize(edit_[20], sizeStatus, Settings.DirFileSizeKB);
    edit_[21]->setText(FromFileName(Settings.DirFileName));
    edit_[22]->setText(FromFileName(Settings.DDCProgramFile));
    edit_[23]->setText(FromFileName(Settings.CurrentConfigName));

    SelectItem(comboBox_[3], int64_t{Settings.DDCSyncMode} - 1);
    SelectItem(comboBox_[4], Settings.MasterMode);
    SelectItem(comboBox_[5], static_cast<uint32_t>(Settings.StartSource) >> 1);
    edit_[24]->setText(
        QString::fromStdString(FormatThreshold(Settings.ComparatorThresholdSDX, sep)));

    const uint32_t blocks = static_cast<uint32_t>(Settings.SamplesPerChannel) / 1024;
    const int64_t sizeItem = blocks == 0 ? -1 : std::bit_width(blocks) - 1;
    QComboBox* samples = comboBox_[6];
    if (sizeItem >= 0 && sizeItem < samples->count()) {
        SelectItem(samples, sizeItem);
    } else {
        // A value with no item (below 1024, 32768 and above) selects none and shows its number
        // in the field, so the user sees what will be written; text being typed stays.
        if (samples->currentIndex() != -1) {
            samples->setCurrentIndex(-1);
        }
        if (typingInto_ != samples) {
            samples->setEditText(QString::number(Settings.SamplesPerChannel));
        }
    }
}

void TGForm::ShowRecordingSize(QLineEdit* edit, RecordingSizeStatus status, int32_t value) {
    // Without a result the field says why in a word, and its tip in a sentence.
    for (const NoResultText& text : kNoResultTexts) {
        if (text.status == status) {
            edit->setText(Text(text.shown));
            edit->setToolTip(Text(text.why));
            return;
        }
    }
    edit->setText(QString::number(value));
    edit->setToolTip(QString());
}

void TGForm::Harvest() {
    auto takeSelection = [this] {
        int32_t mask = 0;
        for (int i = 0; i < kDdcChannels; ++i) {
            if (Box(ControlTable[88 + i])->isChecked()) {
                BitSet(mask, i);
            }
        }
        Settings.MaskSelFreqNCO = mask;
    };
    const char sep = decimalSeparator_;

    takeSelection();
    Settings.FreqNC0 = ParseSingle(TextOf(edit_[17]), sep);
    Settings.EnableDDC = radioButton_[1]->isChecked() ? 0 : 1;
    Settings.Dither = checkBox_[85]->isChecked() ? 1 : 0;
    Settings.WorkMode = comboBox_[2]->currentIndex();
    int32_t gains = 0;
    int32_t channels = 0;
    for (int j = 0; j < kAdcs; ++j) {
        if (GainPairs[j].second->isChecked()) {
            BitSet(gains, j);
        }
    }
    Settings.AdcGainMask = gains;
    for (int j = 0; j < kAdcs; ++j) {
        if (Box(ControlTable[68 + j])->isChecked()) {
            BitSet(channels, j);
        }
    }
    Settings.ChannelMask = channels;
    takeSelection();
    Settings.DDCSyncMode = comboBox_[3]->currentIndex() + 1;
    Settings.MasterMode = comboBox_[4]->currentIndex();
    Settings.StartSource = comboBox_[5]->currentIndex() * 2;
    Settings.ComparatorThresholdSDX = ParseSingle(TextOf(edit_[24]), sep);
    Settings.SamplesPerChannel =
        static_cast<int32_t>(std::ldexp(1024.0, comboBox_[6]->currentIndex()));
}

// ---------------------------------------------------------------------------------------------
// Handlers.

// The pattern of the controls that the harvest reads back; ignored while a refresh runs.
void TGForm::GuardedHarvestAndRefresh() {
    if (Updating) {
        return;
    }
    Harvest();
    Refresh();
}

void TGForm::CheckBox1Click(QObject* Sender) {
    if (Updating || Sender == nullptr) {
        return;
    }
    const int channel = Sender->property("tag").toInt();
    uint32_t ticked = 0;
    for (int j = 0; j < kAdcs; ++j) {
        if (Box(ControlTable[4 * channel + j])->isChecked()) {
            ticked |= 1u << j;
        }
    }
    SetChannelAdcs(channel, ticked);
    Refresh();
}

void TGForm::Button5Click(QObject*) {
    EnableAllChannels();
    Refresh();
}

void TGForm::Button6Click(QObject*) {
    EnableOnlyChannel0();
    Refresh();
}

void TGForm::Button2Click(QObject* Sender) {
    if (Sender == nullptr) {
        return;
    }
    AllChannelsToAdc(Sender->property("tag").toInt());
    Refresh();
}

void TGForm::Edit1Exit(QObject* Sender) {
    if (Sender == nullptr) {
        return;
    }
    const int channel = Sender->property("tag").toInt();
    SetChannelFrequency(channel, TextOf(EditOf(ControlTable[72 + channel])), decimalSeparator_);
    Refresh();
}

void TGForm::Edit1KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit1Exit(Sender);
    }
}

void TGForm::Button7Click(QObject*) {
    ApplyFrequencyToAll(TextOf(edit_[17]), decimalSeparator_);
    Refresh();
}

void TGForm::Button8Click(QObject*) {
    uint32_t ticked = 0;
    for (int i = 0; i < kDdcChannels; ++i) {
        if (Box(ControlTable[88 + i])->isChecked()) {
            ticked |= 1u << i;
        }
    }
    ApplyFrequencyToSelected(TextOf(edit_[17]), decimalSeparator_, ticked);
    Refresh();
}

void TGForm::Edit17Exit(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::Edit17KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit17Exit(Sender);
    }
}

void TGForm::ComboBox1Change(QObject*) {
    SetClockSource(comboBox_[1]->currentIndex());
    Refresh();
}

void TGForm::Edit18Exit(QObject*) {
    SetClockValue(TextOf(edit_[18]), decimalSeparator_);
}

void TGForm::Edit18KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit18Exit(Sender);
    }
}

void TGForm::RadioButton1Click(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::RadioButton3Click(QObject*) {
    if (Updating) {
        return;
    }
    SetDataFormat16();
    Refresh();
}

void TGForm::RadioButton4Click(QObject*) {
    if (Updating) {
        return;
    }
    SetDataFormat24();
    Refresh();
}

void TGForm::Edit19Exit(QObject*) {
    SetDirSamplesPerChannel(TextOf(edit_[19]));
    Refresh();
}

void TGForm::Edit19KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit19Exit(Sender);
    }
}

void TGForm::CheckBox69Click(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::ComboBox3Change(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::Edit24Exit(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::Edit24KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit24Exit(Sender);
    }
}

void TGForm::ComboBox6Change(QObject*) {
    GuardedHarvestAndRefresh();
}

void TGForm::Edit21Exit(QObject*) {
    SetDirFileName(ToFileName(edit_[21]->text()));
    Refresh();
}

void TGForm::Edit21KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit21Exit(Sender);
    }
}

void TGForm::Edit22Exit(QObject*) {
    SetDdcProgramFile(ToFileName(edit_[22]->text()));
    Refresh();
}

void TGForm::Edit22KeyPress(QObject* Sender, char Key) {
    if (Key == '\r') {
        Edit22Exit(Sender);
    }
}

// The file dialogs leave the working directory alone: files are read and written at the full
// chosen path, and the working directory is put back however the operation ends. A chosen path
// too long for a string setting is refused by the editing rule with its message.

void TGForm::Button10Click(QObject*) {
    const WorkingDirectoryKeeper keeper;
    const QString path = ChooseFile(saveDialog1_, keeper.Path());
    if (path.isEmpty()) {
        return;
    }
    SetDirFileName(ToFileName(path));
    Refresh();
}

void TGForm::Button11Click(QObject*) {
    const WorkingDirectoryKeeper keeper;
    const QString path = ChooseFile(openDialog2_, FolderIn(keeper.Path(), "PRGFILES"));
    if (path.isEmpty()) {
        return;
    }
    SetDdcProgramFromPath(ToFileName(path));
    Refresh();
}

void TGForm::Button13Click(QObject*) {
    const WorkingDirectoryKeeper keeper;
    const QString path = ChooseFile(saveDialog3_, FolderIn(keeper.Path(), "CONFIGS"));
    if (path.isEmpty()) {
        return;
    }
    std::string reason;
    if (!WriteConfig(ToFileName(path), &reason)) {
        ShowFileFailure(this, Text("Файл конфигурации не записан: ") + path, FromLocal(reason));
        return;
    }
    ConfigNameFromPath(ToFileName(path));
    Refresh();
}

void TGForm::Button12Click(QObject*) {
    const WorkingDirectoryKeeper keeper;
    const QString path = ChooseFile(openDialog1_, FolderIn(keeper.Path(), "MODSET"));
    if (path.isEmpty()) {
        return;
    }
    std::string reason;
    if (!ReadConfig(ToFileName(path), &reason)) {
        ShowFileFailure(this, Text("Файл конфигурации не считан: ") + path, FromLocal(reason));
        return;
    }
    ConfigNameFromPath(ToFileName(path));
    Refresh();
}

void TGForm::Button9Click(QObject*) {
    std::string reason;
    if (!WriteIni(TSettings::IniFileName, &reason)) {
        ShowFileFailure(
            this,
            Text("Файл инициализации не записан: ") + QString::fromLatin1(TSettings::IniFileName),
            FromLocal(reason));
    }
}
