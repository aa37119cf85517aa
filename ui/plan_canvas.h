// The frequency plan drawn: four lanes, ADC 0 to 3, over an axis from 0 to half the clock, a
// marker per channel at its NCO. A click on a marker chooses the channel, a drag retunes it.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "core/frequency_plan.h"

// Hertz as megahertz with up to six decimals, trailing zeros dropped ("10,7 МГц").
QString PlanMegahertzText(double hertz, QChar decimalSeparator);
// A distance in the unit that suits it: Гц, кГц or МГц.
QString PlanDistanceText(double hertz, QChar decimalSeparator);

class TPlanCanvas : public QWidget {
    Q_OBJECT

  public:
    explicit TPlanCanvas(QWidget* parent = nullptr);

    // The plan to draw; kept by reference until the next call.
    void SetPlan(const FrequencyPlan& plan, QChar decimalSeparator);
    // Where channel's marker is drawn (empty when it is not drawn).
    QRectF MarkerRect(int channel) const;
    // The frequency a point on the axis stands for (no clock: 0).
    double FrequencyAt(double x) const;
    // The marker's tooltip text.
    QString MarkerToolTip(int channel) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void channelClicked(int channel);
    // While the mouse moves with a marker held; then once when it is let go.
    void channelDragged(int channel, double frequency);
    void channelDropped(int channel, double frequency);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    struct Marker {
        int channel = 0;
        int adc = 0;
        double frequency = 0;  // where it is drawn: the folded NCO, or the dragged one
        QPointF centre;
        bool enabled = true;
        bool conflict = false;  // an overlap or a duplicate
        bool harmonic = false;  // its harmonic lands in another channel
        bool beyondHalf = false;
    };
    struct HitLine {
        QPointF from;
        QPointF to;
        QString orders;  // "2×", or "2×, 3×" for several landing on one spot
    };
    struct Drag {
        int channel = -1;
        QPointF pressed;
        bool moving = false;
        bool fine = false;
        double anchorX = 0;          // where the present step size began
        double anchorFrequency = 0;  // and the frequency there
        double frequency = 0;        // the last one given
    };

    void Relayout();
    double XOf(double frequency) const;
    double HalfClock() const;
    QRectF LaneRect(int adc) const;
    QRectF PlotRect() const;
    const Marker* MarkerAt(const QPointF& point) const;
    double DragFrequency(double x, bool fine);

    const FrequencyPlan* plan_ = nullptr;
    QChar separator_ = u'.';
    std::vector<Marker> markers_;
    std::vector<HitLine> hitLines_;
    Drag drag_;
};
