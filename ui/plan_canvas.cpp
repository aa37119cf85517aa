#include "ui/plan_canvas.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "ui/qt_text.h"

namespace {

constexpr double kLeft = 64;  // room for the lane names
constexpr double kRight = 24;
constexpr double kTop = 8;
constexpr double kBottom = 34;  // the axis and its numbers
constexpr double kMarker = 20;  // diameter
constexpr double kRowGap = 3;
constexpr double kRowHeight = kMarker + kRowGap;
constexpr int kRowsShown = 4;
constexpr double kBandBar = 5;  // height of the band bars
// Shift makes the marker follow the mouse this many times slower, in steps as many times finer.
constexpr double kFineFactor = 20;

const QColor kLaneColour(246, 248, 251);
const QColor kOtherLaneColour(236, 240, 245);
const QColor kBandColour(170, 195, 225);
const QColor kMarkerColour(40, 100, 170);
const QColor kConflictColour(205, 40, 40);
const QColor kHarmonicColour(230, 130, 0);
const QColor kDisabledColour(150, 150, 150);
const QColor kGridColour(215, 220, 228);

using ugform::Text;

// A fixed-point text with the locale's separator and no trailing zeros.
QString Trimmed(double value, int decimals, QChar separator) {
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0')) {
            text.chop(1);
        }
        if (text.endsWith(u'.')) {
            text.chop(1);
        }
    }
    if (text == QLatin1String("-0")) {
        text = QStringLiteral("0");
    }
    return text.replace(u'.', separator);
}

// The smallest of 1, 2, 5 times a power of ten that is at least `value`.
double NiceStep(double value) {
    if (!(value > 0) || !std::isfinite(value)) {
        return 1;
    }
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * decade >= value * (1 - 1e-12)) {
            return m * decade;
        }
    }
    return 10 * decade;
}

QString OrdinalHarmonic(int order) {
    return QString::number(order) + u'\u00d7';
}

}  // namespace

QString PlanMegahertzText(double hertz, QChar decimalSeparator) {
    return Trimmed(hertz / 1e6, 6, decimalSeparator) + Text(" МГц");
}

QString PlanDistanceText(double hertz, QChar decimalSeparator) {
    const double magnitude = std::fabs(hertz);
    if (magnitude < 1e3) {
        return Trimmed(hertz, 1, decimalSeparator) + Text(" Гц");
    }
    if (magnitude < 1e6) {
        return Trimmed(hertz / 1e3, 3, decimalSeparator) + Text(" кГц");
    }
    return PlanMegahertzText(hertz, decimalSeparator);
}

TPlanCanvas::TPlanCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PlanCanvas"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize TPlanCanvas::sizeHint() const {
    return {900, static_cast<int>(kTop + kBottom + kAdcs * (kRowsShown * kRowHeight + 8))};
}

QSize TPlanCanvas::minimumSizeHint() const {
    return {360, static_cast<int>(kTop + kBottom + kAdcs * (kRowHeight + 8))};
}

void TPlanCanvas::SetPlan(const FrequencyPlan& plan, QChar decimalSeparator) {
    plan_ = &plan;
    separator_ = decimalSeparator;
    Relayout();
    update();
}

double TPlanCanvas::HalfClock() const {
    return plan_ != nullptr && plan_->clockUsable ? plan_->clock / 2 : 0;
}

QRectF TPlanCanvas::PlotRect() const {
    return QRectF(kLeft, kTop, std::max(1.0, width() - kLeft - kRight),
                  std::max(1.0, height() - kTop - kBottom));
}

QRectF TPlanCanvas::LaneRect(int adc) const {
    const QRectF plot = PlotRect();
    const double lane = plot.height() / kAdcs;
    return QRectF(plot.left(), plot.top() + adc * lane, plot.width(), lane);
}

double TPlanCanvas::XOf(double frequency) const {
    const QRectF plot = PlotRect();
    const double half = HalfClock();
    return half > 0 ? plot.left() + frequency / half * plot.width() : plot.left();
}

double TPlanCanvas::FrequencyAt(double x) const {
    const QRectF plot = PlotRect();
    return (x - plot.left()) / plot.width() * HalfClock();
}

void TPlanCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void TPlanCanvas::Relayout() {
    markers_.clear();
    hitLines_.clear();
    if (plan_ == nullptr || !plan_->clockUsable) {
        return;
    }
    for (const AdcPlan& adc : plan_->adcs) {
        const std::size_t first = markers_.size();
        for (const PlannedChannel& p : adc.channels) {
            Marker m;
            m.channel = p.channel;
            m.adc = adc.adc;
            m.frequency = p.folded;
            m.beyondHalf = p.beyondHalf;
            for (const ChannelPair& pair : adc.overlaps) {
                m.conflict = m.conflict || pair.first == p.channel || pair.second == p.channel;
            }
            for (const ChannelPair& pair : adc.duplicates) {
                m.conflict = m.conflict || pair.first == p.channel || pair.second == p.channel;
            }
            for (const HarmonicHit& hit : adc.hits) {
                m.harmonic = m.harmonic || hit.channel == p.channel;
            }
            markers_.push_back(m);
        }
        for (const PlannedChannel& p : plan_->disabled) {
            if (p.adc == adc.adc) {
                Marker m;
                m.channel = p.channel;
                m.adc = adc.adc;
                m.frequency = p.folded;
                m.enabled = false;
                m.beyondHalf = p.beyondHalf;
                markers_.push_back(m);
            }
        }
        if (drag_.moving) {
            for (std::size_t i = first; i < markers_.size(); ++i) {
                if (markers_[i].channel == drag_.channel) {
                    markers_[i].frequency = drag_.frequency;
                }
            }
        }
        // Markers too close to stand side by side go to the next row down; when the lane has no
        // row free there, a marker stands right beside the row's last one, so that none hides
        // another (its band bar still shows where it is tuned).
        std::sort(markers_.begin() + static_cast<std::ptrdiff_t>(first), markers_.end(),
                  [](const Marker& a, const Marker& b) {
                      return a.frequency != b.frequency ? a.frequency < b.frequency
                                                        : a.channel < b.channel;
                  });
        const QRectF lane = LaneRect(adc.adc);
        const int rows = std::max(1, static_cast<int>((lane.height() - 2 * kRowGap) / kRowHeight));
        std::vector<double> rowEnd(static_cast<std::size_t>(rows), -1e9);
        for (std::size_t i = first; i < markers_.size(); ++i) {
            Marker& m = markers_[i];
            const double x = XOf(m.frequency);
            std::size_t row = 0;
            while (row < rowEnd.size() && rowEnd[row] > x - kMarker) {
                ++row;
            }
            double centre = x;
            if (row == rowEnd.size()) {
                row = static_cast<std::size_t>(std::min_element(rowEnd.begin(), rowEnd.end()) -
                                               rowEnd.begin());
                centre = std::max(x, rowEnd[row] + kMarker);
            }
            rowEnd[row] = centre;
            m.centre = QPointF(
                centre, lane.top() + kRowGap + kMarker / 2 + static_cast<double>(row) * kRowHeight);
        }
        for (const HarmonicHit& hit : adc.hits) {
            const QRectF marker = MarkerRect(hit.channel);
            if (marker.isEmpty()) {
                continue;
            }
            const QPointF to(XOf(hit.landing), lane.bottom() - kBandBar);
            const QString order = OrdinalHarmonic(hit.order);
            auto same = std::find_if(hitLines_.begin(), hitLines_.end(), [&](const HitLine& l) {
                return l.from == marker.center() && std::fabs(l.to.x() - to.x()) < 1 &&
                       l.to.y() == to.y();
            });
            if (same == hitLines_.end()) {
                hitLines_.push_back({marker.center(), to, order});
            } else if (!same->orders.contains(order)) {
                same->orders += QStringLiteral(", ") + order;
            }
        }
    }
}

QRectF TPlanCanvas::MarkerRect(int channel) const {
    for (const Marker& m : markers_) {
        if (m.channel == channel) {
            return QRectF(m.centre.x() - kMarker / 2, m.centre.y() - kMarker / 2, kMarker, kMarker);
        }
    }
    return {};
}

const TPlanCanvas::Marker* TPlanCanvas::MarkerAt(const QPointF& point) const {
    // The one drawn last (on top) wins.
    for (auto it = markers_.rbegin(); it != markers_.rend(); ++it) {
        const QPointF d = point - it->centre;
        if (d.x() * d.x() + d.y() * d.y() <= (kMarker / 2 + 1) * (kMarker / 2 + 1)) {
            return &*it;
        }
    }
    return nullptr;
}

// Painted to stay well under 2 ms at 1920 pixels: the raster engine is slow at large translucent
// or antialiased areas, so bands are short opaque bars, lines are not antialiased, and only the
// small markers are.
void TPlanCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF plot = PlotRect();
    // The margins around the lanes, each pixel filled once.
    const QRect lanes = plot.toAlignedRect();
    const QBrush window = palette().window();
    painter.fillRect(QRect(0, 0, width(), lanes.top()), window);
    painter.fillRect(QRect(0, lanes.bottom() + 1, width(), height() - lanes.bottom() - 1), window);
    painter.fillRect(QRect(0, lanes.top(), lanes.left(), lanes.height()), window);
    painter.fillRect(
        QRect(lanes.right() + 1, lanes.top(), width() - lanes.right() - 1, lanes.height()), window);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
    const QColor text = palette().color(QPalette::WindowText);

    for (int a = 0; a < kAdcs; ++a) {
        const QRectF lane = LaneRect(a);
        painter.fillRect(lane.toAlignedRect(), a % 2 == 0 ? kLaneColour : kOtherLaneColour);
        painter.setPen(text);
        painter.drawText(QRectF(0, lane.top(), kLeft - 6, lane.height()),
                         Qt::AlignRight | Qt::AlignVCenter, Text("АЦП ") + QString::number(a));
    }
    if (plan_ == nullptr || !plan_->clockUsable) {
        painter.drawText(plot, Qt::AlignCenter | Qt::TextWordWrap,
                         Text("Тактовая частота не больше нуля: план не построить"));
        return;
    }

    // The axis: a line at every step of 1, 2 or 5 that leaves room for its number.
    const double half = HalfClock();
    const double step = NiceStep(half * 70 / plot.width());
    painter.setFont(small);
    const QFontMetricsF metrics(small);
    for (int k = 0; k * step <= half * (1 + 1e-9); ++k) {
        const int x = static_cast<int>(std::lround(XOf(k * step)));
        painter.setPen(kGridColour);
        painter.drawLine(x, static_cast<int>(plot.top()), x, static_cast<int>(plot.bottom()) + 4);
        painter.setPen(text);
        painter.drawText(QRectF(x - 40, plot.bottom() + 4, 80, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, Trimmed(k * step / 1e6, 6, separator_));
    }
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + 4 + metrics.height(), plot.width(), metrics.height()),
        Qt::AlignRight | Qt::AlignTop, Text("МГц"));

    // Each enabled channel's band, as a bar along the foot of its lane.
    const double bandwidth = plan_->options.channelBandwidth;
    for (const Marker& m : markers_) {
        if (!m.enabled || !(bandwidth > 0)) {
            continue;
        }
        const QRectF lane = LaneRect(m.adc);
        const double left = XOf(m.frequency - bandwidth / 2);
        const double right = XOf(m.frequency + bandwidth / 2);
        painter.fillRect(
            QRectF(left, lane.bottom() - kBandBar, std::max(1.0, right - left), kBandBar)
                .toAlignedRect(),
            kBandColour);
        // The stem leads to where the channel is tuned, also from a marker set aside.
        painter.setPen(kBandColour);
        painter.drawLine(m.centre, QPointF(XOf(m.frequency), lane.bottom() - kBandBar));
    }
    // Harmonics: a line from the channel to where its harmonic lands.
    for (const HitLine& line : hitLines_) {
        painter.setPen(QPen(kHarmonicColour, 1));
        painter.drawLine(line.from, line.to);
        painter.setPen(kHarmonicColour);
        painter.drawText(QRectF(line.to.x() + 7, line.to.y() - metrics.height() - kBandBar, 80,
                                metrics.height()),
                         Qt::AlignLeft | Qt::AlignBottom, line.orders);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    for (const HitLine& line : hitLines_) {
        QPainterPath arrow;
        arrow.moveTo(line.to);
        arrow.lineTo(line.to + QPointF(-5, -9));
        arrow.lineTo(line.to + QPointF(5, -9));
        arrow.closeSubpath();
        painter.fillPath(arrow, kHarmonicColour);
    }
    // The markers, disabled first so that enabled ones stay on top.
    for (const bool enabledPass : {false, true}) {
        for (const Marker& m : markers_) {
            if (m.enabled != enabledPass) {
                continue;
            }
            const QRectF box(m.centre.x() - kMarker / 2, m.centre.y() - kMarker / 2, kMarker,
                             kMarker);
            if (!m.enabled) {
                painter.setBrush(palette().base());
                painter.setPen(QPen(kDisabledColour, 1.5));
            } else {
                const QColor fill = m.conflict   ? kConflictColour
                                    : m.harmonic ? kHarmonicColour
                                                 : kMarkerColour;
                painter.setBrush(fill);
                painter.setPen(QPen(fill.darker(130), 1));
            }
            painter.drawEllipse(box);
            if (m.beyondHalf) {
                // Stored beyond half the clock: a dotted ring says it is shown folded.
                painter.setBrush(Qt::NoBrush);
                painter.setPen(
                    QPen(m.enabled ? QColor(Qt::black) : kDisabledColour, 1.2, Qt::DotLine));
                painter.drawEllipse(box.adjusted(-3, -3, 3, 3));
            }
            painter.setPen(m.enabled ? QColor(Qt::white) : kDisabledColour);
            painter.drawText(box, Qt::AlignCenter, QString::number(m.channel));
        }
    }
}

QString TPlanCanvas::MarkerToolTip(int channel) const {
    if (plan_ == nullptr || channel < 0 || channel >= kDdcChannels) {
        return {};
    }
    const QChar sep = separator_;
    for (const AdcPlan& adc : plan_->adcs) {
        for (std::size_t i = 0; i < adc.channels.size(); ++i) {
            const PlannedChannel& p = adc.channels[i];
            if (p.channel != channel) {
                continue;
            }
            QStringList lines;
            lines << Text("Канал %1, АЦП %2").arg(channel).arg(adc.adc);
            lines << Text("NCO: ") + PlanMegahertzText(p.nco, sep);
            if (p.beyondHalf && plan_->clockUsable) {
                lines << Text("NCO вне 0 … половины тактовой: показан на ") +
                             PlanMegahertzText(p.folded, sep);
            }
            if (plan_->clockUsable) {
                QStringList images;
                for (const ZoneImage& image :
                     Images(p.folded, plan_->clock, plan_->options.imageZones)) {
                    images << Text("зона %1: %2%3")
                                  .arg(image.zone)
                                  .arg(PlanMegahertzText(image.rf, sep))
                                  .arg(image.inverted ? Text(" (инверсия)") : QString());
                }
                lines << Text("Входные частоты: ") + images.join(QStringLiteral("; "));
            }
            if (i > 0) {
                lines << Text("Ниже: канал %1, на %2")
                             .arg(adc.channels[i - 1].channel)
                             .arg(PlanDistanceText(adc.spacing[i - 1], sep));
            }
            if (i + 1 < adc.channels.size()) {
                lines << Text("Выше: канал %1, на %2")
                             .arg(adc.channels[i + 1].channel)
                             .arg(PlanDistanceText(adc.spacing[i], sep));
            }
            for (const ChannelPair& pair : adc.overlaps) {
                if (pair.first == channel || pair.second == channel) {
                    lines << Text("Перекрывается с каналом %1 (%2)")
                                 .arg(pair.first == channel ? pair.second : pair.first)
                                 .arg(PlanDistanceText(pair.distance, sep));
                }
            }
            for (const ChannelPair& pair : adc.duplicates) {
                if (pair.first == channel || pair.second == channel) {
                    lines << Text("Та же частота NCO, что у канала %1: те же данные")
                                 .arg(pair.first == channel ? pair.second : pair.first);
                }
            }
            for (const HarmonicHit& hit : adc.hits) {
                if (hit.channel == channel) {
                    lines << Text("Гармоника %1 (%2) попадает в канал %3")
                                 .arg(hit.order)
                                 .arg(PlanMegahertzText(hit.landing, sep))
                                 .arg(hit.victim);
                } else if (hit.victim == channel) {
                    lines << Text("Сюда попадает гармоника %1 канала %2")
                                 .arg(hit.order)
                                 .arg(hit.channel);
                }
            }
            return lines.join(u'\n');
        }
    }
    for (const PlannedChannel& p : plan_->disabled) {
        if (p.channel == channel) {
            return Text("Канал %1, АЦП %2 (выключен)\nNCO: %3")
                .arg(channel)
                .arg(p.adc)
                .arg(PlanMegahertzText(p.nco, sep));
        }
    }
    return {};
}

bool TPlanCanvas::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const Marker* m = MarkerAt(help->pos())) {
            QToolTip::showText(help->globalPos(), MarkerToolTip(m->channel), this,
                               MarkerRect(m->channel).toAlignedRect());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void TPlanCanvas::mousePressEvent(QMouseEvent* event) {
    const Marker* m = event->button() == Qt::LeftButton ? MarkerAt(event->position()) : nullptr;
    if (m == nullptr) {
        QWidget::mousePressEvent(event);
        return;
    }
    drag_ = Drag{};
    drag_.channel = m->channel;
    drag_.pressed = event->position();
    drag_.anchorX = event->position().x();
    drag_.anchorFrequency = m->frequency;
    drag_.frequency = m->frequency;
    drag_.fine = event->modifiers().testFlag(Qt::ShiftModifier);
}

double TPlanCanvas::DragFrequency(double x, bool fine) {
    if (fine != drag_.fine) {
        // The step size changes where the mouse is now: the marker does not jump.
        drag_.fine = fine;
        drag_.anchorX = x;
        drag_.anchorFrequency = drag_.frequency;
    }
    const double perPixel = HalfClock() / PlotRect().width();
    const double factor = fine ? 1 / kFineFactor : 1;
    const double step = std::max(1.0, NiceStep(perPixel * factor));
    double f = drag_.anchorFrequency + (x - drag_.anchorX) * perPixel * factor;
    f = std::round(f / step) * step;
    return std::clamp(f, 0.0, HalfClock());
}

void TPlanCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (drag_.channel < 0 || !(event->buttons() & Qt::LeftButton) || HalfClock() <= 0) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    if (!drag_.moving) {
        if ((event->position() - drag_.pressed).manhattanLength() <
            QApplication::startDragDistance()) {
            return;
        }
        drag_.moving = true;
    }
    const double f =
        DragFrequency(event->position().x(), event->modifiers().testFlag(Qt::ShiftModifier));
    if (f == drag_.frequency) {
        return;
    }
    drag_.frequency = f;
    Relayout();
    update();
    emit channelDragged(drag_.channel, f);
}

void TPlanCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_.channel < 0 || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const Drag done = drag_;
    drag_ = Drag{};
    if (done.moving) {
        Relayout();
        update();
        emit channelDropped(done.channel, done.frequency);
    } else {
        emit channelClicked(done.channel);
    }
}
