// The window as built: every named control with its type, text, items, tag, initial tick and
// enabled state; the labels; the control table; the dialogs; and a layout without overlaps.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "tests/ui/support_form.h"
#include "ui/ugform.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class FormLayoutTest : public ScratchDirTest {
  protected:
    TGForm form_;
};

// ----- check boxes: no caption; indicators and the first ADC channel box are disabled -----

TEST_F(FormLayoutTest, CheckBoxesStartAsBuilt) {
    for (int n = 1; n <= 89; ++n) {
        SCOPED_TRACE(n);
        auto* box = Find<QCheckBox>(form_, QStringLiteral("CheckBox%1").arg(n));
        EXPECT_TRUE(box->text().isEmpty());
        const bool disabled = (n >= 65 && n <= 68) || n == 86;
        EXPECT_EQ(box->isEnabled(), !disabled);
        EXPECT_EQ(box->isChecked(), n == 65);
        EXPECT_EQ(box->font().bold(), n >= 86);
    }
}

TEST_F(FormLayoutTest, MatrixBoxesCarryTheirChannelAsTag) {
    for (int c = 0; c < kDdcChannels; ++c) {
        for (int j = 0; j < kAdcs; ++j) {
            EXPECT_EQ(MatrixBox(form_, c, j)->property("tag").toInt(), c);
        }
    }
}

// ----- edits -----

TEST_F(FormLayoutTest, EditsStartAsBuilt) {
    for (int n = 1; n <= 25; ++n) {
        SCOPED_TRACE(n);
        auto* edit = Find<QLineEdit>(form_, QStringLiteral("Edit%1").arg(n));
        EXPECT_EQ(edit->isEnabled(), n != 20 && n != 25);
        EXPECT_EQ(edit->isReadOnly(), n == 23);
        EXPECT_FALSE(edit->font().bold());
        if (n <= 16) {
            EXPECT_EQ(edit->property("tag").toInt(), n - 1);
        }
    }
}

// ----- radio buttons, buttons, combo boxes: texts exactly as the window shows them -----

struct TextRow {
    int number;
    const char* text;
};

// clang-format off
const TextRow kRadioButtons[] = {
    {1, "отсчеты с АЦП"}, {2, "отсчеты с DDC"}, {3, "16 бит"}, {4, "24 бита"},
    {5, "0.5 B"}, {6, "0.34 B"}, {7, "0.5 B"}, {8, "0.34 B"},
    {9, "0.5 B"}, {10, "0.34 B"}, {11, "0.5 B"}, {12, "0.34 B"},
};
const TextRow kButtons[] = {
    {1, "1"}, {2, "0"}, {3, "2"}, {4, "3"},
    {5, "Включить все  каналы    "},
    {6, "Включить только канал 0 "},
    {7, "Применить для всех каналов"},
    {8, "Применить для выбранных каналов"},
    {9, "Записать файл инициализации"},
    {10, "Выбрать файл"}, {11, "Выбрать файл"},
    {12, "Считать"}, {13, "Записать"},
};
const std::vector<const char*> kComboItems[] = {
    {"Внутренний", "Внешний"},
    {"Работа с OSMIR файл data.bin", "Прямая запись в файл"},
    {" 1 - по старту ввода", " 2 -  программный"},
    {" 0 - SLAVE", " 1- SINGLE", " 2 - MASTER"},
    {" 0 - программный", " 2-  SDX", " 4 - SYNX"},
    {" 1024", " 2048", " 4096", " 8192", "16384"},
};
const char* const kLabels[] = {
    "Файл конфигурации ", "Источник  тактовой частоты", "Значение  тактовой частоты", "Режим",
    "  АЦП0", "  АЦП1", "  АЦП2", "  АЦП3", "Шкала АЦП", "Каналы АЦП", "  Dither",
    "Файл конфигурации DDC (*.prg)", "Частота NCO", "Частота", "Каналы DDC", "АЦП",
    "Все каналы к АЦП", "Формат данных DDC", "Режим синхронизации DDC", "Мастер режим",
    "Источник старта", "Порог компаратора", "-2,5...+2,5 В", "Режим работы",
    "Число отсчётов на канал при работе с OSMIR", "Имя файла для прямой записи",
    "Число отсчётов на канал при прямой записи ", "Реальное значение", "Размер файла (Кбайт)",
};
// clang-format on

TEST_F(FormLayoutTest, RadioButtonsStartUntickedWithTheirTexts) {
    for (const TextRow& row : kRadioButtons) {
        SCOPED_TRACE(row.number);
        auto* radio = Find<QRadioButton>(form_, QStringLiteral("RadioButton%1").arg(row.number));
        EXPECT_EQ(radio->text(), U(row.text));
        EXPECT_FALSE(radio->isChecked());
        EXPECT_TRUE(radio->font().bold());
        // Each pair sits in its own frame without caption.
        auto* frame = qobject_cast<QGroupBox*>(radio->parentWidget());
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(frame->title().isEmpty());
        EXPECT_EQ(frame->findChildren<QRadioButton*>().size(), 2);
    }
}

TEST_F(FormLayoutTest, ButtonsHaveTheirTextsAndTags) {
    for (const TextRow& row : kButtons) {
        SCOPED_TRACE(row.number);
        auto* button = Find<QPushButton>(form_, QStringLiteral("Button%1").arg(row.number));
        EXPECT_EQ(button->text(), U(row.text));
        EXPECT_TRUE(button->font().bold());
        EXPECT_TRUE(button->isEnabled());
    }
    const char* const toAdc[kAdcs] = {"Button2", "Button1", "Button3", "Button4"};
    for (int k = 0; k < kAdcs; ++k) {
        EXPECT_EQ(Find<QPushButton>(form_, toAdc[k])->property("tag").toInt(), k);
    }
}

TEST_F(FormLayoutTest, ComboBoxesAreEditableListsThatNeverAddTypedText) {
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        auto* combo = Find<QComboBox>(form_, QStringLiteral("ComboBox%1").arg(n));
        EXPECT_TRUE(combo->isEditable());
        EXPECT_EQ(combo->insertPolicy(), QComboBox::NoInsert);
        EXPECT_FALSE(combo->font().bold());
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            items << combo->itemText(i);
        }
        QStringList expected;
        for (const char* item : kComboItems[n - 1]) {
            expected << U(item);
        }
        EXPECT_EQ(items, expected);
    }
}

TEST_F(FormLayoutTest, EveryLabelIsThereInBold) {
    QStringList shown;
    for (const QLabel* label : form_.findChildren<QLabel*>()) {
        if (label->window() != &form_) {
            continue;  // the dialogs' own labels
        }
        shown << label->text();
        EXPECT_TRUE(label->font().bold()) << label->text().toStdString();
    }
    for (const char* text : kLabels) {
        EXPECT_TRUE(shown.contains(U(text))) << text;
    }
    // Channel numbers: 0-15 beside the NCO edits and over the matrix, 0-3 for the ADC rows
    // and the ADC channel boxes.
    for (int c = 0; c < kDdcChannels; ++c) {
        EXPECT_GE(shown.count(QString::number(c)), c < kAdcs ? 4 : 2) << c;
    }
}

TEST_F(FormLayoutTest, WindowCaptionAndFont) {
    EXPECT_EQ(form_.windowTitle(), U(" Мастер TESSARO"));
    EXPECT_EQ(form_.font().pointSize(), 8);
    EXPECT_TRUE(form_.isWindow());
}

// Centred on the desktop; when taller than it (a small screen, a large scale) the caption stays on
// it.
TEST_F(FormLayoutTest, WindowIsCentredWithItsTopLeftOnTheDesktop) {
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint centred = desktop.center() - form_.rect().center();
    EXPECT_EQ(form_.pos(),
              QPoint(std::max(centred.x(), desktop.left()), std::max(centred.y(), desktop.top())));
    EXPECT_GE(form_.y(), desktop.top());
    EXPECT_GE(form_.x(), desktop.left());
}

// ----- the control table and the gain pairs -----

TEST_F(FormLayoutTest, ControlTableListsTheControlsInOrder) {
    auto expectEntry = [&](int entry, const QString& name) {
        ASSERT_NE(form_.ControlTable[entry], nullptr) << entry;
        EXPECT_EQ(form_.ControlTable[entry]->objectName(), name) << entry;
    };
    for (int k = 0; k < 64; ++k) {
        expectEntry(k, QStringLiteral("CheckBox%1").arg(k + 1));
    }
    for (int j = 0; j < kAdcs; ++j) {
        expectEntry(64 + j, QStringLiteral("CheckBox%1").arg(65 + j));
        expectEntry(68 + j, QStringLiteral("CheckBox%1").arg(86 + j));
        EXPECT_EQ(form_.GainPairs[j].first->objectName(),
                  QStringLiteral("RadioButton%1").arg(5 + 2 * j));
        EXPECT_EQ(form_.GainPairs[j].second->objectName(),
                  QStringLiteral("RadioButton%1").arg(6 + 2 * j));
    }
    for (int i = 0; i < kDdcChannels; ++i) {
        expectEntry(72 + i, QStringLiteral("Edit%1").arg(i + 1));
        expectEntry(88 + i, QStringLiteral("CheckBox%1").arg(69 + i));
    }
    EXPECT_FALSE(form_.Updating);
}

// ----- file dialogs -----

struct DialogRow {
    const char* name;
    const char* button;
    const char* folder;  // the sub-folder of the working directory it opens in, if any
    QFileDialog::AcceptMode mode;
    const char* filter;
    const char* suffix;
};

// clang-format off
const DialogRow kDialogs[] = {
    {"SaveDialog1", "Button10", "",         QFileDialog::AcceptSave, "DataFileA TESSARO(*.bin)",   "bin"},
    {"SaveDialog3", "Button13", "CONFIGS",  QFileDialog::AcceptSave, "ConfigFiles TESSARO(*.cfg)", "cfg"},
    {"OpenDialog1", "Button12", "MODSET",   QFileDialog::AcceptOpen, "ConfigFiles TESSARO(*.cfg)", "cfg"},
    {"OpenDialog2", "Button11", "PRGFILES", QFileDialog::AcceptOpen, "FileConfig  DDC(*.prg)",     "prg"},
};
// clang-format on

class FormDialogTest : public FormTest {
  protected:
    // Opens the dialog of the row through its button, cancels it, and returns it.
    QFileDialog* OpenAndCancel(const DialogRow& row, QString* openedIn) {
        modals_->CancelNextDialog(row.name);
        Click(W<QPushButton>(row.button));
        const std::vector<SeenFileDialog> seen = modals_->TakeFileDialogs();
        EXPECT_EQ(seen.size(), 1u);
        *openedIn = seen.empty() ? QString() : seen.front().directory;
        return form_->findChild<QFileDialog*>(row.name);
    }
};

TEST_F(FormDialogTest, DialogsBelongToTheWindowAndOpenInTheirFolders) {
    for (const DialogRow& row : kDialogs) {
        if (*row.folder != '\0') {
            MakeDir(row.folder);
        }
    }
    ShowForm();
    for (const DialogRow& row : kDialogs) {
        SCOPED_TRACE(row.name);
        // Built on first use: nothing to pay for at start-up.
        EXPECT_EQ(form_->findChild<QFileDialog*>(row.name), nullptr);
        QString openedIn;
        QFileDialog* dialog = OpenAndCancel(row, &openedIn);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(openedIn, QDir(Path(row.folder)).absolutePath());
        EXPECT_EQ(dialog->parent(), form_.get());
        EXPECT_EQ(dialog->acceptMode(), row.mode);
        // Qt folds runs of spaces in a filter's display text.
        EXPECT_EQ(dialog->nameFilters(), QStringList{U(row.filter).simplified()});
        EXPECT_EQ(dialog->defaultSuffix(), row.suffix);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        // Replacing an existing file is asked about.
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(QDir::currentPath(), QDir(Path("")).absolutePath());
    }
    EXPECT_EQ(TakeMessages(), QStringList());
}

TEST_F(FormDialogTest, MissingSubFolderOpensTheWorkingDirectory) {
    ShowForm();
    QString openedIn;
    OpenAndCancel(kDialogs[1], &openedIn);
    EXPECT_EQ(openedIn, QDir(Path("")).absolutePath());
}

// ----- placement: groups top to bottom, nothing overlapping or cut off -----

TEST_F(FormLayoutTest, GroupsRunTopToBottomInTheirOrder) {
    form_.show();
    const char* const order[] = {
        "Edit23",  "ComboBox1", "Edit18",       "RadioButton1", "RadioButton5", "CheckBox86",
        "Edit22",  "Edit1",     "Edit4",        "Edit17",       "CheckBox1",    "CheckBox4",
        "Button5", "Button6",   "RadioButton3", "ComboBox3",    "ComboBox4",    "ComboBox5",
        "Edit24",  "ComboBox2", "ComboBox6",    "Edit21",       "Edit19",       "Edit25",
        "Edit20",  "Button9",
    };
    int previousTop = -1;
    for (const char* name : order) {
        QWidget* widget = FindNamed(form_, name);
        const int top = widget->mapTo(&form_, QPoint(0, 0)).y();
        EXPECT_GT(top, previousTop) << name;
        previousTop = top;
    }
}

TEST_F(FormLayoutTest, NoControlOverlapsAnotherOrIsCutOff) {
    form_.show();
    std::vector<QWidget*> leaves;
    for (QWidget* w : form_.findChildren<QWidget*>()) {
        if (w->window() != &form_) {
            continue;
        }
        const bool control =
            qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
            qobject_cast<QComboBox*>(w) ||
            (qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parent()));
        if (control && w->isVisible()) {
            leaves.push_back(w);
        }
    }
    ASSERT_GT(leaves.size(), 200u);
    const QRect window = form_.rect();
    for (std::size_t a = 0; a < leaves.size(); ++a) {
        const QRect ra(leaves[a]->mapTo(&form_, QPoint(0, 0)), leaves[a]->size());
        const QString name = leaves[a]->objectName().isEmpty()
                                 ? leaves[a]->property("text").toString()
                                 : leaves[a]->objectName();
        EXPECT_TRUE(window.contains(ra)) << name.toStdString();
        if (auto* label = qobject_cast<QLabel*>(leaves[a])) {
            EXPECT_GE(ra.width(), label->sizeHint().width()) << name.toStdString();
        } else if (auto* button = qobject_cast<QAbstractButton*>(leaves[a])) {
            EXPECT_GE(ra.width(), button->fontMetrics().horizontalAdvance(button->text()) + 8)
                << name.toStdString();
        }
        for (std::size_t b = a + 1; b < leaves.size(); ++b) {
            const QRect rb(leaves[b]->mapTo(&form_, QPoint(0, 0)), leaves[b]->size());
            EXPECT_FALSE(ra.intersects(rb))
                << name.toStdString() << " overlaps " << leaves[b]->objectName().toStdString()
                << " " << leaves[b]->property("text").toString().toStdString();
        }
    }
}

// A larger window (maximised, say) keeps the controls' sizes and places among themselves and
// shows them in its middle rather than in a corner.
TEST_F(FormLayoutTest, ControlsKeepTheirPlacesWhenTheWindowGrows) {
    form_.show();
    QWidget* button = FindNamed(form_, "Button9");
    QWidget* edit = FindNamed(form_, "Edit23");
    const QPoint buttonFromEdit =
        button->mapTo(&form_, QPoint(0, 0)) - edit->mapTo(&form_, QPoint(0, 0));
    const QSize editSize = edit->size();
    form_.resize(form_.width() + 300, form_.height() + 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(button->mapTo(&form_, QPoint(0, 0)) - edit->mapTo(&form_, QPoint(0, 0)),
              buttonFromEdit);
    EXPECT_EQ(edit->size(), editSize);
    const QRect page(edit->parentWidget()->mapTo(&form_, QPoint(0, 0)),
                     edit->parentWidget()->size());
    EXPECT_LE(std::abs(page.center().x() - form_.rect().center().x()), 1);
    EXPECT_LE(std::abs(page.center().y() - form_.rect().center().y()), 1);
}

}  // namespace
