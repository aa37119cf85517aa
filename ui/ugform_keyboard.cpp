// The window without the mouse: tab order in reading order, the arrow keys in the grids of
// boxes and NCO edits, Enter through the sixteen NCO edits, Esc and the undo keys in an edit.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "ui/ugform.h"
#include "ui/ugform_internal.h"

using namespace ugform;

// Watches the keys of the window's controls. Installed before the window's own filter, so it
// sees a key after the handler that the key ran (Qt calls the filter installed last first).
class TFormKeys : public QObject {
  public:
    explicit TFormKeys(TGForm& form) : QObject(&form), form_(form) {}

    // What the last refresh (or a taken value) put into each edit.
    QHash<const QLineEdit*, QString> shown;
    // The grid a control belongs to (a Grid), or -1.
    int PlaceOfControl(const QObject* control) const { return PlaceOf(control).grid; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // A control of one of the grids and its place: grid number, row, column.
    struct Place {
        int grid = -1;
        int row = 0;
        int column = 0;
    };
    Place PlaceOf(const QObject* control) const;
    QWidget* At(int grid, int row, int column) const;
    bool MoveFocus(QWidget* from, int key);
    bool EnterInNcoEdit(QLineEdit* edit);
    void FocusChosenRadioButton(QRadioButton* button, Qt::FocusReason reason);

    TGForm& form_;
};

namespace {

// The grids: the 4 x 16 matrix (rows ADCs, columns channels), the row of four ADC channel boxes,
// and the 4 x 4 NCO edits and selection boxes (channels 0-3 down the first column).
enum Grid { kMatrix, kAdcChannels, kNcoEdits, kNcoSelection };

bool IsUndoKey(const QKeyEvent* key) {
    const QKeyCombination pressed = key->keyCombination();
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
           pressed == QKeyCombination(Qt::ControlModifier, Qt::Key_Y);
}

}  // namespace

TFormKeys::Place TFormKeys::PlaceOf(const QObject* control) const {
    for (int c = 0; c < kDdcChannels; ++c) {
        for (int j = 0; j < kAdcs; ++j) {
            if (form_.checkBox_[4 * c + j + 1] == control) {
                return {kMatrix, j, c};
            }
        }
        if (form_.edit_[1 + c] == control) {
            return {kNcoEdits, c % 4, c / 4};
        }
        if (form_.checkBox_[69 + c] == control) {
            return {kNcoSelection, c % 4, c / 4};
        }
    }
    for (int j = 0; j < kAdcs; ++j) {
        if (form_.checkBox_[86 + j] == control) {
            return {kAdcChannels, 0, j};
        }
    }
    return {};
}

QWidget* TFormKeys::At(int grid, int row, int column) const {
    switch (grid) {
        case kMatrix:
            if (row >= 0 && row < kAdcs && column >= 0 && column < kDdcChannels) {
                return form_.checkBox_[4 * column + row + 1];
            }
            break;
        case kAdcChannels:
            if (row == 0 && column >= 0 && column < kAdcs) {
                return form_.checkBox_[86 + column];
            }
            break;
        case kNcoEdits:
        case kNcoSelection:
            if (row >= 0 && row < 4 && column >= 0 && column < 4) {
                const int channel = 4 * column + row;
                return grid == kNcoEdits ? static_cast<QWidget*>(form_.edit_[1 + channel])
                                         : form_.checkBox_[69 + channel];
            }
            break;
        default:
            break;
    }
    return nullptr;
}

// Moves to the neighbour in the key's direction, passing over disabled controls; at the edge of
// its grid the focus stays where it is (no wrapping into another row, which would be a jump the
// eye does not follow). True when the key was for the grid.
bool TFormKeys::MoveFocus(QWidget* from, int key) {
    const Place place = PlaceOf(from);
    if (place.grid < 0) {
        return false;
    }
    int dr = 0;
    int dc = 0;
    switch (key) {
        case Qt::Key_Up:
            dr = -1;
            break;
        case Qt::Key_Down:
            dr = 1;
            break;
        case Qt::Key_Left:
            dc = -1;
            break;
        case Qt::Key_Right:
            dc = 1;
            break;
        default:
            return false;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(from); edit != nullptr && dc != 0) {
        // Left and right move the cursor within the text; only past its ends do they leave it.
        const int end = dc < 0 ? 0 : static_cast<int>(edit->text().size());
        if (edit->hasSelectedText() || edit->cursorPosition() != end) {
            return false;
        }
    }
    for (int r = place.row + dr, c = place.column + dc;; r += dr, c += dc) {
        QWidget* next = At(place.grid, r, c);
        if (next == nullptr) {
            return true;
        }
        if (next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
}

// After Enter has run the edit's handler: a taken value moves on to the next channel's edit, so
// that sixteen frequencies are typed in one go; a refused one keeps the focus. The last channel
// keeps it too, as wrapping to channel 0 would invite overwriting a value already typed.
bool TFormKeys::EnterInNcoEdit(QLineEdit* edit) {
    const Place place = PlaceOf(edit);
    if (place.grid != kNcoEdits || edit->isModified()) {
        return false;
    }
    const int channel = 4 * place.column + place.row;
    if (channel + 1 < kDdcChannels) {
        form_.edit_[channel + 2]->setFocus(Qt::TabFocusReason);
    }
    return false;  // the key still reaches the edit, as every key does
}

// Tab enters a frame of radio buttons at its chosen button, as on other desktops, not at the
// first one, where Space would change the setting.
void TFormKeys::FocusChosenRadioButton(QRadioButton* button, Qt::FocusReason reason) {
    if (button == nullptr || button->isChecked() ||
        (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason)) {
        return;
    }
    for (QRadioButton* sibling :
         button->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
        if (sibling->isChecked() && sibling->isEnabled()) {
            sibling->setFocus(reason);
            return;
        }
    }
}

bool TFormKeys::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn) {
        FocusChosenRadioButton(qobject_cast<QRadioButton*>(watched),
                               static_cast<QFocusEvent*>(event)->reason());
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        // An edit claims the undo keys for its own text; here they undo settings changes.
        return IsUndoKey(static_cast<QKeyEvent*>(event));
    }
    if (type != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        return false;
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    switch (key->key()) {
        case Qt::Key_Escape:
            return edit != nullptr && edit->hasFocus() && form_.DropUnconfirmedText();
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return edit != nullptr && EnterInNcoEdit(edit);
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            return MoveFocus(widget, key->key());
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------------

namespace {

// The focusable controls of the page in reading order: top to bottom by rows, a row being the
// controls whose heights overlap; left to right within a row. A radio button counts with its
// frame, so that the buttons of one frame stay together in the order they were made.
std::vector<QWidget*> ReadingOrder(QWidget* page) {
    struct Item {
        QWidget* widget;
        QRect box;
        int made;
    };
    std::vector<Item> items;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        // A combo box's list is a window of its own; its field passes the focus to the box.
        if ((w->focusPolicy() & Qt::TabFocus) == 0 || w->focusProxy() != nullptr ||
            w->window() != page->window()) {
            continue;
        }
        QWidget* unit = w;
        while (unit->parentWidget() != nullptr && unit->parentWidget() != page) {
            unit = unit->parentWidget();
        }
        if (unit->parentWidget() != page) {
            continue;
        }
        items.push_back({w, unit->geometry(), static_cast<int>(items.size())});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.box.top() < b.box.top(); });
    std::vector<Item> ordered;
    for (std::size_t first = 0; first < items.size();) {
        int rowBottom = items[first].box.bottom();
        std::size_t end = first + 1;
        while (end < items.size() && items[end].box.top() <= rowBottom) {
            rowBottom = std::max(rowBottom, items[end].box.bottom());
            ++end;
        }
        std::vector<Item> row(items.begin() + first, items.begin() + end);
        std::stable_sort(row.begin(), row.end(), [](const Item& a, const Item& b) {
            if (a.box.left() != b.box.left()) {
                return a.box.left() < b.box.left();
            }
            if (a.box.top() != b.box.top()) {
                return a.box.top() < b.box.top();
            }
            return a.made < b.made;
        });
        ordered.insert(ordered.end(), row.begin(), row.end());
        first = end;
    }
    std::vector<QWidget*> widgets;
    for (const Item& item : ordered) {
        widgets.push_back(item.widget);
    }
    return widgets;
}

}  // namespace

void TGForm::SetUpKeyboard() {
    keys_ = new TFormKeys(*this);
    for (QLineEdit* edit : page_->findChildren<QLineEdit*>()) {
        edit->installEventFilter(keys_);
    }
    for (QComboBox* combo : page_->findChildren<QComboBox*>()) {
        combo->installEventFilter(keys_);
    }
    for (int n = 1; n <= 89; ++n) {
        if (checkBox_[n] != nullptr) {
            checkBox_[n]->installEventFilter(keys_);
        }
    }
    for (QRadioButton* button : radioButton_) {
        if (button != nullptr) {
            button->installEventFilter(keys_);
        }
    }

    // The page is laid out once here, so that the order can follow where the controls are.
    page_->layout()->activate();
    std::vector<QWidget*> order = ReadingOrder(page_);
    // The NCO grid goes by channel, as Enter does (0, 1, 2, ... down each column in turn): its
    // controls keep their places in the order, taken by channel, each box before its edit.
    std::vector<std::size_t> gridPlaces;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int grid = keys_->PlaceOfControl(order[i]);
        if (grid == kNcoEdits || grid == kNcoSelection) {
            gridPlaces.push_back(i);
        }
    }
    if (gridPlaces.size() == 2 * kDdcChannels) {
        for (int c = 0; c < kDdcChannels; ++c) {
            order[gridPlaces[2 * c]] = checkBox_[69 + c];
            order[gridPlaces[2 * c + 1]] = edit_[1 + c];
        }
    }
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

bool TGForm::DropUnconfirmedText() {
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (edit == nullptr || edit->window() != this || !edit->isModified() ||
        !keys_->shown.contains(edit)) {
        return false;
    }
    edit->setText(keys_->shown.value(edit));
    edit->selectAll();
    return true;
}

void TGForm::ConfirmShownTexts(bool handlerSucceeded) {
    for (QLineEdit* edit : edit_) {
        if (edit == nullptr) {
            continue;
        }
        // A run that succeeded leaves an edit changed only when it took that edit's text without
        // a refresh (the clock value): that text is now the one shown.
        if (handlerSucceeded && edit->isModified()) {
            edit->setModified(false);
            // Taken: the text is now what the field shows, so typing back the text it showed
            // before is an edit like any other.
            edit->setProperty(kShownTextProperty, edit->text());
        }
        if (!edit->isModified()) {
            keys_->shown.insert(edit, edit->text());
        }
    }
}
