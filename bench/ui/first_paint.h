// Ends the event loop once a window has painted itself for the first time.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

class FirstPaintQuitter : public QObject {
  public:
    explicit FirstPaintQuitter(QWidget& window) : QObject(&window), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget != nullptr && widget->window() == &window_ &&
            !painted_) {
            painted_ = true;
            // Quit once this paint, and the flush of the picture to the screen, are done.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

  private:
    QWidget& window_;
    bool painted_ = false;
};

inline void QuitAtFirstPaint(QWidget& window) {
    qApp->installEventFilter(new FirstPaintQuitter(window));
}
