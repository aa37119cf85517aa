// tessaro-cli plan: the channels against the clock per ADC, with overlaps and harmonic hits; or
// the NCO for an input frequency.
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/setting_text.h"
#include "core/errors.h"
#include "core/frequency_plan.h"
#include "core/frequency_text.h"

namespace cli {
namespace {

// Exit statuses of plan: nothing in each other's way (and always with --rf), something is.
constexpr int kClear = 0;
constexpr int kConflicts = 1;

// Hertz as plain decimals, never in exponent form.
std::string Hz(double value) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string Ordinal(int n) {
    return std::to_string(n) + (n == 2 ? "nd" : n == 3 ? "rd" : "th");
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

const char* ClockName(const TSettings& s) {
    return s.ClockSource == 0 ? "internal" : "external";
}

class PlanCommand : public Command {
  public:
    explicit PlanCommand(CLI::App& parent) {
        app = parent.add_subcommand(
            "plan", "Print the frequency plan per ADC, or the NCO for an input frequency");
        Describe(
            *app,
            "Load as the window does when it opens in the working directory and print, for each "
            "ADC, its enabled DDC channels by NCO (folded between 0 and half the clock in use "
            "when stored beyond it), the spacing from the channel before, and the input "
            "frequencies each receives in Nyquist zones 1 to 4 (* marks an inverted spectrum); "
            "then the pairs closer than the channel bandwidth (overlaps), the pairs with the same "
            "stored NCO (duplicates), and the 2nd to 5th harmonics of each channel's signal that "
            "fall within half the bandwidth of another channel on the same ADC. With --json, one "
            "object: clock, clockSource, clockUsable, ddc, bandwidth, signalZone, adcs (each with "
            "adc, channels, overlaps, duplicates, hits), disabled and unplaced.\n"
            "With --rf, print instead the NCO that receives the input frequency HZ at the clock "
            "in use, its Nyquist zone and whether the spectrum is inverted; with --json as an "
            "object: rf, clock, nco, stored (as single precision keeps it), zone, inverted.\n"
            "Frequencies take a unit (Hz, kHz, MHz) and a point or a comma.\n"
            "Exit status of plan: 0 no overlap, duplicate or harmonic hit (and always with --rf), "
            "1 any of them, 2 refused or failed.");
        app->add_option("CONFIG", config_, "Configuration file (default: std.cfg)");
        app->add_flag("--json", json_, "Print the plan as one JSON object");
        app->add_option("--bandwidth", bandwidth_,
                        "Channel bandwidth for overlaps and harmonic hits (default: 200 kHz)")
            ->option_text("HZ");
        app->add_option("--zone", zone_,
                        "Nyquist zone of the channels' signals for their harmonics (default: 1)")
            ->option_text("N")
            ->check(CLI::Range(1, 1000));
        app->add_option("--rf", rf_, "Print the NCO, zone and inversion for this input frequency")
            ->option_text("HZ");
    }

    int Run() override {
        OpenAsWindow(settings_, config_);
        const TSettings& s = settings_;
        if (rf_)
            return PrintRf(s, Frequency("--rf", *rf_));
        PlanOptions options;
        if (bandwidth_)
            options.channelBandwidth = Frequency("--bandwidth", *bandwidth_);
        options.signalZone = zone_.value_or(0);
        const FrequencyPlan plan = MakeFrequencyPlan(s, options);
        if (json_)
            PrintJson(s, plan);
        else
            PrintText(s, plan);
        return plan.HasConflicts() ? kConflicts : kClear;
    }

  private:
    static double Frequency(const char* option, const std::string& text) {
        double value = 0;
        try {
            value = ParseFrequencyText(text);
        } catch (const SettingsError& e) {
            throw Failure(std::string(option) + ": " + e.what());
        }
        if (value < 0)
            throw Failure(std::string(option) + ": " + Hz(value) + " Hz is below 0 Hz");
        return value;
    }

    int PrintRf(const TSettings& s, double rf) const {
        const FoldedFrequency nco = NcoForRf(s, rf);
        const float stored = static_cast<float>(nco.frequency);
        if (json_) {
            nlohmann::ordered_json document = {
                {"rf", rf},
                {"clock", ClockInUse(s)},
                {"nco", nco.frequency},
                {"stored", static_cast<double>(stored)},
                {"zone", nco.zone},
                {"inverted", nco.inverted},
            };
            Print(JsonText(document));
            return kClear;
        }
        std::string line = Hz(rf) + " Hz at the " + ClockName(s) + " clock of " +
                           Hz(ClockInUse(s)) + " Hz: NCO " + Hz(nco.frequency) + " Hz, zone " +
                           std::to_string(nco.zone) +
                           (nco.inverted ? ", inverted" : ", not inverted");
        if (std::round(static_cast<double>(stored)) != std::round(nco.frequency))
            line += " (kept as " + Hz(stored) + " Hz in single precision)";
        Print(line + "\n");
        return kClear;
    }

    void PrintText(const TSettings& s, const FrequencyPlan& plan) const {
        std::string out = "Clock: " + Hz(plan.clock) + " Hz (" + ClockName(s) + ")";
        out += plan.clockUsable
                   ? ", channels from 0 to " + Hz(plan.clock / 2) + " Hz\n"
                   : " is not a positive frequency: NCOs as stored, no harmonic placed\n";
        if (s.EnableDDC == 0)
            out += "DDC samples are off (EnableDDC 0): the NCOs are not used\n";
        out += "Channel bandwidth: " + Hz(plan.options.channelBandwidth) + " Hz; signals in zone " +
               std::to_string(plan.SignalZone()) + "\n";
        for (const AdcPlan& adc : plan.adcs) {
            out += "\nADC " + std::to_string(adc.adc) + "\n";
            if (adc.channels.empty()) {
                out += "  no enabled channel\n";
                continue;
            }
            out += "  " + Padded("Channel", 9) + Padded("NCO, Hz", 26) + Padded("Spacing, Hz", 13) +
                   "Input frequencies, Hz, zones 1 to " + std::to_string(plan.options.imageZones) +
                   " (* inverted)\n";
            for (std::size_t i = 0; i < adc.channels.size(); ++i) {
                const PlannedChannel& p = adc.channels[i];
                std::string nco = Hz(p.nco);
                if (p.beyondHalf && plan.clockUsable)
                    nco += " -> " + Hz(p.folded);
                std::string images;
                if (plan.clockUsable) {
                    for (const ZoneImage& image :
                         Images(p.folded, plan.clock, plan.options.imageZones)) {
                        images += (images.empty() ? "" : ", ") + Hz(image.rf) +
                                  (image.inverted ? "*" : "");
                    }
                }
                const std::string spacing = i == 0 ? "" : Hz(adc.spacing[i - 1]);
                std::string row = "  " + Padded(std::to_string(p.channel), 9) + Padded(nco, 26) +
                                  Padded(spacing, 13) + images;
                while (!row.empty() && row.back() == ' ')
                    row.pop_back();
                out += row + "\n";
            }
            for (const ChannelPair& pair : adc.overlaps) {
                out += "  overlap: channels " + std::to_string(pair.first) + " and " +
                       std::to_string(pair.second) + ", " + Hz(pair.distance) + " Hz apart\n";
            }
            for (const ChannelPair& pair : adc.duplicates) {
                out += "  duplicate: channels " + std::to_string(pair.first) + " and " +
                       std::to_string(pair.second) + " both at " + Hz(s.FrequencyNCO[pair.first]) +
                       " Hz\n";
            }
            for (const HarmonicHit& hit : adc.hits) {
                out += "  harmonic: the " + Ordinal(hit.order) + " of channel " +
                       std::to_string(hit.channel) + " (" + Hz(hit.signal) + " Hz) lands at " +
                       Hz(hit.landing) + " Hz, in channel " + std::to_string(hit.victim) + "\n";
            }
        }
        if (!plan.disabled.empty()) {
            out += "\nDisabled:";
            for (const PlannedChannel& p : plan.disabled)
                out += " " + std::to_string(p.channel) + " (ADC " + std::to_string(p.adc) + ")";
            out += "\n";
        }
        if (!plan.unplaced.empty()) {
            out += "\nEnabled on no ADC (InputSource outside 0 to 3):";
            for (const int c : plan.unplaced)
                out += " " + std::to_string(c);
            out += "\n";
        }
        Print(out);
    }

    void PrintJson(const TSettings& s, const FrequencyPlan& plan) const {
        using Json = nlohmann::ordered_json;
        Json adcs = Json::array();
        for (const AdcPlan& adc : plan.adcs) {
            Json channels = Json::array();
            for (std::size_t i = 0; i < adc.channels.size(); ++i) {
                const PlannedChannel& p = adc.channels[i];
                Json images = Json::array();
                if (plan.clockUsable) {
                    for (const ZoneImage& image :
                         Images(p.folded, plan.clock, plan.options.imageZones)) {
                        images.push_back(
                            {{"zone", image.zone}, {"rf", image.rf}, {"inverted", image.inverted}});
                    }
                }
                channels.push_back({{"channel", p.channel},
                                    {"nco", static_cast<double>(p.nco)},
                                    {"folded", p.folded},
                                    {"beyondHalf", p.beyondHalf},
                                    {"spacing", i == 0 ? Json() : Json(adc.spacing[i - 1])},
                                    {"images", images}});
            }
            Json overlaps = Json::array();
            for (const ChannelPair& pair : adc.overlaps) {
                overlaps.push_back(
                    {{"channels", {pair.first, pair.second}}, {"distance", pair.distance}});
            }
            Json duplicates = Json::array();
            for (const ChannelPair& pair : adc.duplicates) {
                duplicates.push_back({{"channels", {pair.first, pair.second}},
                                      {"nco", static_cast<double>(s.FrequencyNCO[pair.first])}});
            }
            Json hits = Json::array();
            for (const HarmonicHit& hit : adc.hits) {
                hits.push_back({{"channel", hit.channel},
                                {"order", hit.order},
                                {"signal", hit.signal},
                                {"landing", hit.landing},
                                {"victim", hit.victim}});
            }
            adcs.push_back({{"adc", adc.adc},
                            {"channels", channels},
                            {"overlaps", overlaps},
                            {"duplicates", duplicates},
                            {"hits", hits}});
        }
        Json disabled = Json::array();
        for (const PlannedChannel& p : plan.disabled) {
            disabled.push_back(
                {{"channel", p.channel}, {"adc", p.adc}, {"nco", static_cast<double>(p.nco)}});
        }
        const Json document = {{"clock", plan.clock},
                               {"clockSource", ClockName(s)},
                               {"clockUsable", plan.clockUsable},
                               {"ddc", s.EnableDDC != 0},
                               {"bandwidth", plan.options.channelBandwidth},
                               {"signalZone", plan.SignalZone()},
                               {"adcs", adcs},
                               {"disabled", disabled},
                               {"unplaced", plan.unplaced}};
        Print(JsonText(document));
    }

    TSettings settings_;
    std::optional<std::string> config_;
    bool json_ = false;
    std::optional<std::string> bandwidth_;
    std::optional<int> zone_;
    std::optional<std::string> rf_;
};

}  // namespace

std::unique_ptr<Command> MakePlanCommand(CLI::App& parent) {
    return std::make_unique<PlanCommand>(parent);
}

}  // namespace cli
