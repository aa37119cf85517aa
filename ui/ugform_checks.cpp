// The pre-flight findings in the window, after every refresh: a frame around the controls each
// finding concerns (amber for a warning, red for an error), the finding's words as their tooltip,
// and a compact list at the bottom whose lines lead to the controls. Nothing is refused or delayed.
#include <QEvent>
#include <QHash>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>
#include <vector>

#include "core/checks.h"
#include "core/errors.h"
#include "core/number_text.h"
#include "core/setting_catalogue.h"
#include "files/disk_view.h"
#include "ui/finding_texts.h"
#include "ui/ugform.h"
#include "ui/ugform_internal.h"

using namespace ugform;

namespace {

// Free space and the initialization file are asked of the disk at most this often.
constexpr std::chrono::milliseconds kDiskAnswerLifetime{1500};
constexpr int kListLines = 4;
const QColor kWarningColour(0xE8, 0x9C, 0x00);
const QColor kErrorColour(0xD8, 0x10, 0x10);

// True when `typed`, stored in single precision, is `stored`; a value beyond the float range
// never is (the edits refuse it).
bool KeptAs(double typed, float stored) {
    return std::fabs(typed) <= std::numeric_limits<float>::max() &&
           static_cast<float>(typed) == stored;
}

const char* const kFindingProperty = "finding";
const char* const kPlainToolTipProperty = "plainToolTip";

// Frames drawn over the window's page, around the controls of each finding's keys. One widget on
// top, transparent to the mouse, so the controls keep their own look and behaviour.
class FindingFrames : public QWidget {
  public:
    struct Frame {
        std::vector<QPointer<QWidget>> controls;  // framed together
        bool error = false;
    };

    explicit FindingFrames(QWidget* page) : QWidget(page) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        page->installEventFilter(this);
        setGeometry(page->rect());
        show();
    }

    void SetFrames(std::vector<Frame> frames) {
        frames_ = std::move(frames);
        raise();
        update();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parentWidget() && event->type() == QEvent::Resize) {
            setGeometry(parentWidget()->rect());
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPoint origin = mapTo(window(), QPoint());
        // Errors drawn last, so that they show where frames meet.
        for (const bool errors : {false, true}) {
            painter.setPen(QPen(errors ? kErrorColour : kWarningColour, 2));
            for (const Frame& frame : frames_) {
                if (frame.error != errors) {
                    continue;
                }
                QRect area;
                for (const QPointer<QWidget>& control : frame.controls) {
                    if (control != nullptr && control->isVisibleTo(window())) {
                        area |= QRect(control->mapTo(window(), QPoint()) - origin, control->size());
                    }
                }
                if (!area.isEmpty()) {
                    painter.drawRect(area.adjusted(-2, -2, 1, 1));
                }
            }
        }
    }

  private:
    std::vector<Frame> frames_;
};

}  // namespace

class TGForm::FindingsDisplay : public QObject {
  public:
    FindingsDisplay(TGForm* form, QListWidget* list) : QObject(form), form_(form), list_(list) {}

    void MapKeys();
    void NoteTypedFrequencies();
    void Show();
    std::vector<Finding> Findings() {
        return RunChecks({form_->Settings, cached_, &typed_, &form_->LastConfigRead()});
    }
    void ForgetDisk() { cached_.Forget(); }
    void FocusRow(int row);

    // Text the user typed into Edit1 .. Edit17 since the last refresh.
    std::array<std::optional<QString>, 18> pendingTyped;
    // Set while a handler applies the common frequency to channels.
    bool applyingCommon = false;

  private:
    struct Note {
        QWidget* control;
        QString plain;    // what the control is
        QString extra;    // a tooltip set by the refresh itself (a recording size without result)
        QString lastSet;  // the tooltip as this display set it
        QStringList texts;
        int severity = -1;  // -1 none, else a Severity
    };
    void CollectNotes();
    Note& NoteOf(QWidget* control);
    void Rebuild(const std::vector<Finding>& findings, QChar separator);

    TGForm* form_;
    QListWidget* list_;
    FindingFrames* frames_ = nullptr;
    DiskView disk_;
    CachedFileSystemView cached_{disk_, kDiskAnswerLifetime};
    TypedFrequencies typed_;
    std::array<float, kDdcChannels> lastNco_{};
    float lastCommon_ = 0;
    bool seen_ = false;
    bool collected_ = false;

    QHash<QString, std::vector<QWidget*>> keyControls_;
    std::vector<Note> notes_;
    QHash<QWidget*, std::size_t> noteIndex_;
    std::optional<std::vector<Finding>> shown_;
    QChar shownSeparator_;
    std::vector<std::vector<QWidget*>> rowTargets_;
};

// ---------------------------------------------------------------------------------------------
// Building.

QWidget* TGForm::BuildFindingsList() {
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("FindingsList"));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    // A finding longer than the list is cut at its edge with an ellipsis (its tooltip holds it
    // whole); the list never scrolls sideways. Rows sized one by one: a size shared from the first
    // row would let a longer one run past the edge.
    list->setTextElideMode(Qt::ElideRight);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setIconSize(QSize(14, 14));
    const int line = std::max(list->fontMetrics().height(), 14) + 4;
    list->setFixedHeight(kListLines * line + 2 * list->frameWidth());
    findings_ = new FindingsDisplay(this, list);
    findings_->MapKeys();

    connect(list, &QListWidget::itemClicked, this,
            [this, list](QListWidgetItem* item) { findings_->FocusRow(list->row(item)); });
    connect(list, &QListWidget::itemActivated, this,
            [this, list](QListWidgetItem* item) { findings_->FocusRow(list->row(item)); });
    // textEdited comes from the user's typing only, never from the refresh's setText.
    for (int n = 1; n <= 17; ++n) {
        connect(edit_[n], &QLineEdit::textEdited, this,
                [this, n](const QString& text) { findings_->pendingTyped[n] = text; });
    }
    // Connected before the handlers, so the flag is up while they apply the common frequency.
    for (int n : {7, 8}) {
        connect(button_[n], &QPushButton::clicked, this, [this] {
            findings_->applyingCommon = true;
            QTimer::singleShot(0, this, [this] { findings_->applyingCommon = false; });
        });
    }
    return list;
}

// The controls that show each key, as the catalogue names them; a finding frames them and the list
// leads to the first one that can take the focus. DirFileBufSize, the acquisition program's own,
// has none.
void TGForm::FindingsDisplay::MapKeys() {
    for (const SettingRow& row : SettingCatalogue()) {
        std::vector<QWidget*> controls;
        for (const std::string& name : ControlsOf(row)) {
            if (auto* control = form_->findChild<QWidget*>(QString::fromStdString(name))) {
                controls.push_back(control);
            }
        }
        if (!controls.empty()) {
            keyControls_.insert(QString::fromLatin1(row.key), controls);
        }
    }
}

void TGForm::FindingsDisplay::CollectNotes() {
    for (QWidget* control : form_->findChildren<QWidget*>()) {
        if (control->property(kPlainToolTipProperty).isValid()) {
            NoteOf(control);
        }
    }
}

TGForm::FindingsDisplay::Note& TGForm::FindingsDisplay::NoteOf(QWidget* control) {
    const auto it = noteIndex_.constFind(control);
    if (it != noteIndex_.constEnd()) {
        return notes_[*it];
    }
    noteIndex_.insert(control, notes_.size());
    const QString plain = control->property(kPlainToolTipProperty).toString();
    return notes_.emplace_back(Note{control, plain, {}, control->toolTip(), {}, -1});
}

// ---------------------------------------------------------------------------------------------
// After every refresh.

void TGForm::ShowFindings() {
    if (findings_ == nullptr) {
        return;
    }
    try {
        findings_->NoteTypedFrequencies();
        findings_->Show();
    } catch (const std::exception&) {
        // The findings are advice: a failure to show them must not stop the window.
    }
}

// A typed frequency is remembered when the refresh after it stores what it turns into; a channel
// set from the common frequency remembers what was typed there. Everything else that changes a
// frequency (a file read, another edit) forgets the typed text.
std::vector<Finding> TGForm::CurrentFindings(bool askDisk) {
    if (findings_ == nullptr) {
        return {};
    }
    if (askDisk) {
        findings_->ForgetDisk();
    }
    return findings_->Findings();
}

void TGForm::Recheck() {
    if (findings_ != nullptr) {
        findings_->ForgetDisk();
    }
    ShowFindings();
    ShowIniPending();
}

void TGForm::FindingsDisplay::NoteTypedFrequencies() {
    const char separator = form_->DecimalSeparator();
    auto typedValue = [&](int n) -> std::optional<double> {
        if (!pendingTyped[n]) {
            return std::nullopt;
        }
        try {
            return ParseReal(pendingTyped[n]->toLocal8Bit().toStdString(), separator);
        } catch (const SettingsError&) {
            return std::nullopt;
        }
    };
    auto remember = [&](std::optional<double>& slot, int n, float stored, bool changed) {
        const std::optional<double> typed = typedValue(n);
        if (typed && KeptAs(*typed, stored)) {
            slot = typed;
        } else if (changed) {
            slot.reset();
        }
    };

    const float common = form_->Settings.FreqNC0;
    remember(typed_.FreqNC0, 17, common, !seen_ || common != lastCommon_);
    lastCommon_ = common;
    for (int c = 0; c < kDdcChannels; ++c) {
        const float stored = form_->Settings.FrequencyNCO[c];
        const bool changed = !seen_ || stored != lastNco_[c];
        lastNco_[c] = stored;
        remember(typed_.FrequencyNCO[c], 1 + c, stored, changed);
        if (changed && !pendingTyped[1 + c] && applyingCommon && typed_.FreqNC0 &&
            KeptAs(*typed_.FreqNC0, stored)) {
            typed_.FrequencyNCO[c] = typed_.FreqNC0;
        }
    }
    seen_ = true;
    applyingCommon = false;
    pendingTyped.fill(std::nullopt);
}

void TGForm::FindingsDisplay::Show() {
    if (!collected_) {
        CollectNotes();
        collected_ = true;
    }
    const std::vector<Finding> findings = Findings();
    const QChar separator = QChar::fromLatin1(form_->DecimalSeparator());
    if (!shown_ || findings != *shown_ || separator != shownSeparator_) {
        Rebuild(findings, separator);
        shown_ = findings;
        shownSeparator_ = separator;
    }

    // Tooltips: a finding's words while it stands, else what the control is, with what the refresh
    // itself said of it (the reason a recording size has no result).
    for (Note& note : notes_) {
        const QString current = note.control->toolTip();
        if (current != note.lastSet) {
            note.extra = current;
        }
        QString wanted;
        if (!note.texts.isEmpty()) {
            wanted = note.texts.join(u'\n');
        } else if (note.extra.isEmpty() || note.extra == note.plain) {
            wanted = note.plain;
        } else if (note.plain.isEmpty()) {
            wanted = note.extra;
        } else {
            wanted = note.plain + u'\n' + note.extra;
        }
        if (wanted != current) {
            note.control->setToolTip(wanted);
        }
        note.lastSet = wanted;
    }
}

void TGForm::FindingsDisplay::Rebuild(const std::vector<Finding>& findings, QChar separator) {
    for (Note& note : notes_) {
        note.texts.clear();
        note.severity = -1;
    }
    std::vector<FindingFrames::Frame> frames;
    list_->clear();
    rowTargets_.clear();
    const QIcon warning = list_->style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QIcon error = list_->style()->standardIcon(QStyle::SP_MessageBoxCritical);

    for (const Finding& finding : findings) {
        const QString text = FindingText(finding, separator);
        const bool isError = finding.severity == Severity::Error;
        std::vector<QWidget*> targets;
        for (const std::string& key : finding.keys) {
            const auto it = keyControls_.constFind(QString::fromStdString(key));
            if (it == keyControls_.constEnd()) {
                continue;
            }
            FindingFrames::Frame frame{{}, isError};
            for (QWidget* control : *it) {
                Note& note = NoteOf(control);
                if (!note.texts.contains(text)) {
                    note.texts.append(text);
                }
                note.severity = std::max(note.severity, static_cast<int>(finding.severity));
                frame.controls.emplace_back(control);
                if (std::find(targets.begin(), targets.end(), control) == targets.end()) {
                    targets.push_back(control);
                }
            }
            frames.push_back(std::move(frame));
        }
        auto* item = new QListWidgetItem(isError ? error : warning, text, list_);
        item->setToolTip(text);
        rowTargets_.push_back(std::move(targets));
    }
    if (findings.empty()) {
        auto* item = new QListWidgetItem(Text("Замечаний нет"), list_);
        item->setFlags(Qt::ItemIsEnabled);
    }

    for (Note& note : notes_) {
        const QVariant wanted =
            note.severity < 0
                ? QVariant()
                : QVariant(QString::fromLatin1(SeverityName(static_cast<Severity>(note.severity))));
        if (note.control->property(kFindingProperty) != wanted) {
            note.control->setProperty(kFindingProperty, wanted);
        }
    }
    if (frames_ == nullptr) {
        frames_ = new FindingFrames(form_->edit_[1]->parentWidget());
    }
    frames_->SetFrames(std::move(frames));
}

void TGForm::FindingsDisplay::FocusRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rowTargets_.size()) {
        return;
    }
    for (QWidget* control : rowTargets_[row]) {
        if (control->isEnabled() && control->focusPolicy() != Qt::NoFocus) {
            control->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}
