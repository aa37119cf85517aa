#include "ui/plan_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <cmath>

#include "core/errors.h"
#include "core/frequency_text.h"
#include "ui/error_display.h"
#include "ui/plan_canvas.h"
#include "ui/qt_text.h"

namespace {

const QString kBandwidthKey = QStringLiteral("FrequencyPlan/ChannelBandwidth");
const QString kZoneKey = QStringLiteral("FrequencyPlan/SignalZone");
// Zones offered for the signals; the first is also what "none" means.
constexpr int kZonesOffered = 8;

using ugform::Text;

}  // namespace

TPlanWindow::TPlanWindow(QWidget* parent, std::unique_ptr<QSettings> remembered)
    : QWidget(parent, Qt::Window), remembered_(std::move(remembered)) {
    if (remembered_ == nullptr) {
        remembered_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                  QStringLiteral("TESSARO"),
                                                  QStringLiteral("tessaro-master"));
    }
    setObjectName(QStringLiteral("PlanWindow"));
    setWindowTitle(Text("План частот"));
    LoadOptions();
    BuildWindow();
    ShowOptions();
    Replan();
}

TPlanWindow::~TPlanWindow() {
    // The controls go once this is a plain QWidget: what they report on the way (a field losing
    // the focus) must not reach this window's handlers.
    for (QObject* child : findChildren<QObject*>()) {
        child->disconnect(this);
    }
}

void TPlanWindow::BuildWindow() {
    auto* top = new QVBoxLayout(this);

    auto* options = new QHBoxLayout;
    auto* bandwidthLabel = new QLabel(Text("Полоса канала:"), this);
    bandwidth_ = new QLineEdit(this);
    bandwidth_->setObjectName(QStringLiteral("PlanBandwidth"));
    bandwidth_->setFixedWidth(bandwidth_->fontMetrics().horizontalAdvance(Text("999,999 кГц")) +
                              12);
    bandwidth_->setToolTip(
        Text("Каналы одного АЦП ближе этой полосы перекрываются; гармоника в пределах половины "
             "полосы от NCO попадает в канал. Гц, кГц или МГц."));
    bandwidthLabel->setBuddy(bandwidth_);
    auto* zoneLabel = new QLabel(Text("Зона сигнала:"), this);
    zone_ = new QComboBox(this);
    zone_->setObjectName(QStringLiteral("PlanZone"));
    zone_->addItem(Text("не задана (1)"), 0);
    for (int z = 1; z <= kZonesOffered; ++z) {
        zone_->addItem(QString::number(z), z);
    }
    zone_->setToolTip(
        Text("Зона Найквиста, в которой принимаются сигналы каналов: от неё "
             "зависят их гармоники"));
    zoneLabel->setBuddy(zone_);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("PlanSummary"));
    summary_->setWordWrap(true);
    options->addWidget(bandwidthLabel);
    options->addWidget(bandwidth_);
    options->addSpacing(16);
    options->addWidget(zoneLabel);
    options->addWidget(zone_);
    options->addStretch(1);
    top->addLayout(options);
    top->addWidget(summary_);

    canvas_ = new TPlanCanvas(this);
    top->addWidget(canvas_, 1);

    auto* aids = new QGroupBox(Text("Настройка NCO отмеченных каналов"), this);
    auto* grid = new QGridLayout(aids);
    grid->addWidget(new QLabel(Text("Каналы:"), aids), 0, 0);
    auto* ticks = new QHBoxLayout;
    for (int c = 0; c < kDdcChannels; ++c) {
        ticks_[c] = new QCheckBox(QString::number(c), aids);
        ticks_[c]->setObjectName(QStringLiteral("PlanChannel%1").arg(c));
        ticks->addWidget(ticks_[c]);
    }
    ticks->addStretch(1);
    grid->addLayout(ticks, 0, 1, 1, 4);

    grid->addWidget(new QLabel(Text("Частота сигнала:"), aids), 1, 0);
    rf_ = new QLineEdit(aids);
    rf_->setObjectName(QStringLiteral("PlanRf"));
    rf_->setPlaceholderText(Text("например, 150 МГц"));
    rf_->setMinimumWidth(160);
    grid->addWidget(rf_, 1, 1);
    rfApply_ = new QPushButton(Text("NCO по частоте сигнала"), aids);
    rfApply_->setObjectName(QStringLiteral("PlanRfApply"));
    grid->addWidget(rfApply_, 1, 2);
    rfResult_ = new QLabel(aids);
    rfResult_->setObjectName(QStringLiteral("PlanRfResult"));
    grid->addWidget(rfResult_, 1, 3, 1, 2);

    grid->addWidget(new QLabel(Text("Начало:"), aids), 2, 0);
    spreadStart_ = new QLineEdit(aids);
    spreadStart_->setObjectName(QStringLiteral("PlanSpreadStart"));
    grid->addWidget(spreadStart_, 2, 1);
    auto* stepRow = new QHBoxLayout;
    stepRow->addWidget(new QLabel(Text("Шаг:"), aids));
    spreadStep_ = new QLineEdit(aids);
    spreadStep_->setObjectName(QStringLiteral("PlanSpreadStep"));
    stepRow->addWidget(spreadStep_);
    grid->addLayout(stepRow, 2, 2);
    spreadApply_ = new QPushButton(Text("Разнести"), aids);
    spreadApply_->setObjectName(QStringLiteral("PlanSpreadApply"));
    spreadApply_->setToolTip(Text("NCO k-го отмеченного канала = начало + k × шаг"));
    grid->addWidget(spreadApply_, 2, 3);
    grid->setColumnStretch(4, 1);
    top->addWidget(aids);

    // editingFinished: Enter or leaving the field, the moments a typed value is meant.
    connect(bandwidth_, &QLineEdit::editingFinished, this, &TPlanWindow::BandwidthEdited);
    // activated: the user's choice only, not the window showing the remembered one.
    connect(zone_, &QComboBox::activated, this, &TPlanWindow::ZoneChosen);
    connect(rfApply_, &QPushButton::clicked, this, &TPlanWindow::TuneToRf);
    connect(rf_, &QLineEdit::returnPressed, this, &TPlanWindow::TuneToRf);
    connect(spreadApply_, &QPushButton::clicked, this, &TPlanWindow::Spread);
    connect(canvas_, &TPlanCanvas::channelClicked, this, &TPlanWindow::channelClicked);
    connect(canvas_, &TPlanCanvas::channelDragged, this, &TPlanWindow::channelDragged);
    connect(canvas_, &TPlanCanvas::channelDropped, this, &TPlanWindow::channelDropped);
}

void TPlanWindow::LoadOptions() {
    const double bandwidth =
        remembered_->value(kBandwidthKey, options_.channelBandwidth).toDouble();
    if (std::isfinite(bandwidth) && bandwidth >= 0) {
        options_.channelBandwidth = bandwidth;
    }
    const int zone = remembered_->value(kZoneKey, 0).toInt();
    if (zone >= 0 && zone <= kZonesOffered) {
        options_.signalZone = zone;
    }
}

void TPlanWindow::SaveOptions() {
    remembered_->setValue(kBandwidthKey, options_.channelBandwidth);
    remembered_->setValue(kZoneKey, options_.signalZone);
    remembered_->sync();
}

void TPlanWindow::ShowOptions() {
    bandwidth_->setText(PlanDistanceText(options_.channelBandwidth, DecimalSeparator()));
    bandwidth_->setModified(false);
    zone_->setCurrentIndex(zone_->findData(options_.signalZone));
}

void TPlanWindow::Show(const TSettings& settings) {
    settings_ = settings;
    Replan();
}

void TPlanWindow::Replan() {
    plan_ = MakeFrequencyPlan(settings_, options_);
    canvas_->SetPlan(plan_, DecimalSeparator());
    int overlaps = 0;
    int duplicates = 0;
    int hits = 0;
    for (const AdcPlan& adc : plan_.adcs) {
        overlaps += static_cast<int>(adc.overlaps.size());
        duplicates += static_cast<int>(adc.duplicates.size());
        hits += static_cast<int>(adc.hits.size());
    }
    const QString clock =
        plan_.clockUsable ? PlanMegahertzText(plan_.clock, DecimalSeparator()) : Text("не задана");
    summary_->setText(
        Text("Тактовая частота %1 (%2). Перекрытий: %3, одинаковых NCO: %4, гармоник в "
             "чужих каналах: %5")
            .arg(clock, settings_.ClockSource == 0 ? Text("внутренняя") : Text("внешняя"))
            .arg(overlaps)
            .arg(duplicates)
            .arg(hits));
}

void TPlanWindow::BandwidthEdited() {
    if (!bandwidth_->isModified()) {
        return;
    }
    const std::optional<double> bandwidth = TypedFrequency(bandwidth_);
    if (!bandwidth) {
        return;
    }
    if (*bandwidth < 0) {
        ShowOptions();
        Refuse(Text("Полоса канала не может быть меньше нуля"));
        return;
    }
    options_.channelBandwidth = *bandwidth;
    SaveOptions();
    ShowOptions();
    Replan();
}

void TPlanWindow::ZoneChosen() {
    options_.signalZone = zone_->currentData().toInt();
    SaveOptions();
    Replan();
}

uint32_t TPlanWindow::TickedChannels() const {
    uint32_t ticked = 0;
    for (int c = 0; c < kDdcChannels; ++c) {
        if (ticks_[c]->isChecked()) {
            ticked |= 1u << c;
        }
    }
    return ticked;
}

std::optional<double> TPlanWindow::TypedFrequency(QLineEdit* edit) {
    const QByteArray text = edit->text().toUtf8();
    try {
        return ParseFrequencyText(std::string_view(text.constData(), text.size()));
    } catch (const SettingsError& e) {
        // The field shows what it held before the box, so that losing the focus to the box
        // does not report the same text again.
        if (edit == bandwidth_) {
            ShowOptions();
        }
        Refuse(QString::fromUtf8(e.what()));
        return std::nullopt;
    }
}

void TPlanWindow::TuneToRf() {
    rfResult_->clear();
    const std::optional<double> rf = TypedFrequency(rf_);
    if (!rf) {
        return;
    }
    FoldedFrequency nco;
    try {
        nco = NcoForRf(settings_, *rf);
    } catch (const SettingsError& e) {
        Refuse(QString::fromUtf8(e.what()));
        return;
    }
    rfResult_->setText(Text("NCO %1, зона %2, спектр %3")
                           .arg(PlanMegahertzText(nco.frequency, DecimalSeparator()))
                           .arg(nco.zone)
                           .arg(nco.inverted ? Text("инвертирован") : Text("прямой")));
    const uint32_t ticked = TickedChannels();
    if (ticked == 0) {
        Refuse(Text("Не отмечен ни один канал"));
        return;
    }
    std::vector<NcoValue> values;
    for (int c = 0; c < kDdcChannels; ++c) {
        if ((ticked >> c) & 1u) {
            values.push_back({c, nco.frequency});
        }
    }
    emit frequenciesRequested(values);
}

void TPlanWindow::Spread() {
    const std::optional<double> start = TypedFrequency(spreadStart_);
    if (!start) {
        return;
    }
    const std::optional<double> step = TypedFrequency(spreadStep_);
    if (!step) {
        return;
    }
    const uint32_t ticked = TickedChannels();
    if (ticked == 0) {
        Refuse(Text("Не отмечен ни один канал"));
        return;
    }
    emit frequenciesRequested(SpreadFrequencies(*start, *step, ticked));
}

void TPlanWindow::Refuse(const QString& message) {
    ShowErrorMessage(this, message);
}

QChar TPlanWindow::DecimalSeparator() const {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

void TPlanWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LocaleChange && canvas_ != nullptr) {
        ShowOptions();
        Replan();
    }
}
