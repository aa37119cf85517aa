// The window's controls, built top to bottom.
#include "ui/ugform.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
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
#include "core/setting_catalogue.h"
#include "files/config_file.h"
#include "files/ini_file.h"
#include "ui/error_display.h"
#include "ui/number_display.h"
#include "ui/ugform_folder.h"
#include "ui/ugform_internal.h"

using namespace ugform;

namespace {

// The item text of a list or switch setting's value.
const char* ItemText(const char* key, int32_t value) {
    return ItemOf(*FindSetting(key), value);
}

}  // namespace

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
        // Each item carries its value: the refresh selects by value, the harvest reads it back.
        const SettingRow* row = FindSettingOfControl(c->objectName().toStdString());
        for (const SettingOption& option : row->options) {
            c->addItem(Text(option.item), option.value);
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
    // Room for the widest item of a list.
    auto widest = [&](const char* control) {
        int width = 0;
        for (const SettingOption& option : FindSettingOfControl(control)->options) {
            width = std::max(width, fit(option.item));
        }
        return width;
    };

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
        g->addWidget(comboBox(1, widest("ComboBox1") + 24), 0, 1);
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
        r->addWidget(radioGroup(Qt::Horizontal, {radioButton(1, ItemText("EnableDDC", 0)),
                                                 radioButton(2, ItemText("EnableDDC", 1))}),
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
        r->addWidget(radioGroup(Qt::Horizontal, {radioButton(3, ItemText("DataFormat", 0)),
                                                 radioButton(4, ItemText("DataFormat", 4))}));
        r->addStretch();
    }
    bevel();

    // 10. Synchronisation.
    {
        QGridLayout* g = grid();
        const int width = widest("ComboBox3") + 24;
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
        r->addWidget(comboBox(2, widest("ComboBox2") + 24));
    }
    bevel();

    // 12. Viewer samples.
    {
        QHBoxLayout* r = row();
        r->addWidget(label("Число отсчётов на канал при работе с OSMIR"));
        r->addStretch();
        r->addWidget(comboBox(6, widest("ComboBox6") + 24));
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
        column->addWidget(BuildIniWriteRow(b));
    }

    // 15. The pre-flight findings; then every control is described.
    column->addWidget(BuildFindingsList());
    column->addWidget(BuildWorkingFolderLine(this));
    DescribeControls();

    // Controls keep their places relative to each other: the page has one size whatever the
    // window's.
    page->setFixedSize(page->sizeHint());
    WrapInScrollArea(page);
}

// ---------------------------------------------------------------------------------------------
// The page in the window: whole on a tall screen; on a short one in a window that fits the
// screen, scrolling vertically; centred when the window is larger than the page.

namespace {

// The caption and borders the window manager will add, before they can be measured.
int FrameAllowance(const QWidget& window) {
    if (window.isVisible()) {
        return window.frameGeometry().height() - window.height();
    }
    const QStyle* style = window.style();
    return style->pixelMetric(QStyle::PM_TitleBarHeight) +
           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
}

}  // namespace

void TGForm::WrapInScrollArea(QWidget* page) {
    page_ = page;
    scrollArea_ = new QScrollArea;
    scrollArea_->setObjectName(QStringLiteral("PageScrollArea"));
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setFocusPolicy(Qt::NoFocus);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea_->setAlignment(Qt::AlignCenter);
    scrollArea_->setWidget(page);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scrollArea_);
    // Tab already brings a control into view; the arrow keys, Enter and a refused edit that
    // takes the focus back move it without Tab.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && page_->isAncestorOf(now)) {
            scrollArea_->ensureWidgetVisible(now, 0);
        }
    });
}

QSize TGForm::sizeHint() const {
    if (page_ == nullptr) {
        return QWidget::sizeHint();
    }
    const QSize page = page_->size();
    const int available = screen()->availableGeometry().height() - FrameAllowance(*this);
    if (page.height() <= available) {
        return page;
    }
    return {page.width() + scrollArea_->verticalScrollBar()->sizeHint().width(), available};
}

void TGForm::FitPlaceToScreen() {
    const QRect desktop = screen()->availableGeometry();
    const int allowance = FrameAllowance(*this);
    if (height() + allowance <= desktop.height()) {
        return;
    }
    resize(width(), std::max(minimumHeight(), desktop.height() - allowance));
    move(x(), desktop.top());
}

void TGForm::FitToScreen() {
    const QRect desktop = screen()->availableGeometry();
    const QSize fitted = sizeHint();
    const bool scrolls = fitted.height() < page_->height();
    // On a short screen the window may be made shorter still; never narrower than the page.
    setMinimumSize(fitted.width(),
                   scrolls ? std::min(fitted.height(), page_->height() / 3) : fitted.height());
    resize(fitted);
    // Centred; a window that fills the screen's height starts at its top, caption included.
    const QPoint centred = desktop.center() - rect().center();
    move(std::max(centred.x(), desktop.left()),
         scrolls ? desktop.top() : std::max(centred.y(), desktop.top()));
}
