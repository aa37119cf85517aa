// The window on the screen it finds (this program runs once per screen size and scale): on a
// screen shorter than the window the page scrolls, the window fits, and every control can be
// reached and seen; on a tall one the window is the page, as it always was.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <cstdlib>

#include "tests/ui/support_form.h"

namespace {

class SmallScreenTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        ShowForm();
        scroll_ = form_->findChild<QScrollArea*>();
        ASSERT_NE(scroll_, nullptr);
        page_ = scroll_->widget();
        available_ = form_->screen()->availableGeometry();
    }
    // The screens this runs on are far from the window's height, either way.
    bool ShortScreen() const {
        const int frame = form_->frameGeometry().height() - form_->height();
        return page_->height() + frame > available_.height();
    }
    // Where a control is within the window's visible area.
    QRect InWindow(const QWidget* w) const {
        return {w->mapTo(form_.get(), QPoint(0, 0)), w->size()};
    }
    bool Seen(const QWidget* w) const {
        return scroll_->viewport()->rect().contains(
            QRect(w->mapTo(scroll_->viewport(), QPoint(0, 0)), w->size()));
    }

    QScrollArea* scroll_ = nullptr;
    QWidget* page_ = nullptr;
    QRect available_;
};

TEST_F(SmallScreenTest, WindowFitsTheScreen) {
    const QRect frame = form_->frameGeometry();
    EXPECT_GE(frame.top(), available_.top());
    EXPECT_LE(frame.bottom(), available_.bottom());
    EXPECT_GE(frame.left(), available_.left());
    EXPECT_LE(frame.right(), available_.right());
    EXPECT_FALSE(scroll_->horizontalScrollBar()->isVisible());
    // The whole page is always as wide as the window shows it.
    EXPECT_GE(scroll_->viewport()->width(), page_->width());
    if (ShortScreen()) {
        EXPECT_TRUE(scroll_->verticalScrollBar()->isVisible());
        EXPECT_LT(form_->height(), page_->height());
    } else {
        // Nothing changes on a tall screen: the window is the page, no scroll bar.
        EXPECT_FALSE(scroll_->verticalScrollBar()->isVisible());
        EXPECT_EQ(form_->size(), page_->size());
        EXPECT_EQ(InWindow(page_).topLeft(), QPoint(0, 0));
    }
}

// Every control the user can work, brought into view by giving it the focus (as Tab, the arrow
// keys or a refused edit do).
TEST_F(SmallScreenTest, EveryControlIsScrolledIntoViewWhenFocused) {
    static const QRegularExpression controls(
        QStringLiteral("^(CheckBox|Edit|ComboBox|RadioButton|Button)[0-9]+$"));
    int checked = 0;
    for (QWidget* w : page_->findChildren<QWidget*>()) {
        if (!controls.match(w->objectName()).hasMatch() || !w->isEnabled()) {
            continue;
        }
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        EXPECT_TRUE(Seen(w)) << w->objectName().toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 130);
}

// The lower third of the window (work mode, recording, the button that writes exam_ddc.ini) by
// the keyboard alone.
TEST_F(SmallScreenTest, TabReachesTheWriteButton) {
    FindNamed(*form_, "Button12")->setFocus(Qt::TabFocusReason);
    QWidget* target = FindNamed(*form_, "Button9");
    for (int i = 0; i < 200 && QApplication::focusWidget() != target; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCoreApplication::processEvents();
        QWidget* focused = QApplication::focusWidget();
        ASSERT_TRUE(Seen(focused)) << focused->objectName().toStdString();
    }
    EXPECT_EQ(QApplication::focusWidget(), target);
}

// The arrow keys move the focus without Tab, which alone brings a control into view in a plain
// scroll area.
TEST_F(SmallScreenTest, ArrowKeysScrollTheFocusIntoView) {
    FindNamed(*form_, "CheckBox87")->setFocus(Qt::OtherFocusReason);
    QScrollBar* bar = scroll_->verticalScrollBar();
    bar->setValue(bar->maximum());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "CheckBox88");
    EXPECT_TRUE(Seen(QApplication::focusWidget()));
}

// Maximised, the page stays whole and in the middle rather than in the top left corner.
TEST_F(SmallScreenTest, MaximisedWindowKeepsThePageCentred) {
    form_->showMaximized();
    QCoreApplication::processEvents();
    // Centred in what is left beside the scroll bar, when there is one.
    const QRect page(page_->mapTo(scroll_->viewport(), QPoint(0, 0)), page_->size());
    const QRect area = scroll_->viewport()->rect();
    EXPECT_GT(area.width(), page.width() + 100);
    EXPECT_LE(std::abs(page.center().x() - area.center().x()), 1);
    EXPECT_FALSE(scroll_->horizontalScrollBar()->isVisible());
    if (!ShortScreen()) {
        EXPECT_LE(std::abs(page.center().y() - area.center().y()), 1);
        EXPECT_FALSE(scroll_->verticalScrollBar()->isVisible());
    }
}

}  // namespace
