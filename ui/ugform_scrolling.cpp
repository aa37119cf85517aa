// The page on a short screen: the wheel scrolls it wherever the pointer is, and a list field takes
// the wheel only while it has the keyboard focus (a wheel passing over it on its way down the page
// must not change a setting). And the window comes back where the user left it.
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QWheelEvent>

#include "ui/ugform.h"

namespace {

constexpr char kPlaceKey[] = "window/geometry";

// Hands the wheel of an unfocused list field to the page.
class WheelToPage : public QObject {
  public:
    WheelToPage(QObject* parent, QScrollArea* area) : QObject(parent), area_(area) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel) {
            return false;
        }
        auto* combo = qobject_cast<QComboBox*>(watched);
        if (combo == nullptr || combo->hasFocus()) {
            return false;
        }
        QCoreApplication::sendEvent(area_->viewport(), event);
        return true;
    }

  private:
    QScrollArea* area_;
};

}  // namespace

void TGForm::SetUpWheel() {
    auto* filter = new WheelToPage(this, scrollArea_);
    for (QComboBox* combo : page_->findChildren<QComboBox*>()) {
        // The wheel no longer gives a list field the focus: a click or Tab does.
        combo->setFocusPolicy(Qt::StrongFocus);
        combo->installEventFilter(filter);
    }
}

void TGForm::RememberPlaceIn(std::unique_ptr<QSettings> store) {
    placeStore_ = std::move(store);
    if (placeStore_ == nullptr) {
        return;
    }
    const QByteArray place = placeStore_->value(QString::fromLatin1(kPlaceKey)).toByteArray();
    if (place.isEmpty()) {
        return;
    }
    const QRect fitted = geometry();
    // A place that no longer fits a screen (a monitor gone, a smaller one) gives way to the
    // fitted one.
    if (!restoreGeometry(place) || QGuiApplication::screenAt(geometry().center()) == nullptr) {
        setGeometry(fitted);
        return;
    }
    FitPlaceToScreen();
}

void TGForm::SaveWindowPlace() {
    if (placeStore_ != nullptr) {
        placeStore_->setValue(QString::fromLatin1(kPlaceKey), saveGeometry());
        placeStore_->sync();
    }
}
