#include "bids/eventsToProtocol.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>

#include "formats/textFormat.h"

namespace morvane {
namespace {

// A qualitative palette of well-told-apart colours; none is the white of the constant.
constexpr Rgb palette[] = {
    {228, 26, 28},  {55, 126, 184}, {77, 175, 74},  {152, 78, 163}, {255, 127, 0}, {255, 255, 51},
    {166, 86, 40},  {247, 129, 191}, {153, 153, 153}, {27, 158, 119}, {217, 95, 2}, {117, 112, 179},
};

// BIDS marks a missing value "n/a"; some writers capitalise it.
bool isNotAvailable(std::string_view cell) {
    return equalsIgnoringCase(trimmed(cell), "n/a");
}

std::string tableName(const TsvTable& table) {
    return table.source().empty() ? std::string("the events table") : table.source();
}

// Milliseconds of a time in seconds, as a protocol interval holds them.
bool toMilliseconds(double seconds, std::int32_t& milliseconds) {
    const double value = std::round(seconds * 1000.0);
    if (!(value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max()))
        return false;
    milliseconds = static_cast<std::int32_t>(value);
    return true;
}

// Why a condition name cannot stand in a protocol and the design matrices made from it, or "".
std::string unfitConditionName(std::string_view name) {
    if (name.empty()) return "an empty condition (a row without one takes n/a)";
    if (name.find('"') != std::string_view::npos)
        return "a condition with a double quote, which a design matrix cannot store in a predictor's name";
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return "a condition with a control character";
    return {};
}

class EventsReader {
public:
    EventsReader(const TsvTable& table, const EventsOptions& options) : table_(table), options_(options) {}

    ParseResult<ImportedProtocol> read() {
        if (auto problem = findColumns(); !problem.empty()) return fail(problem);
        ImportedProtocol result;
        Protocol& protocol = result.protocol;
        protocol.fileVersion = 3;
        protocol.inMilliseconds = true;
        protocol.experiment = options_.experiment;
        protocol.parametricWeights = weights_ ? 1 : 0;

        // A name from the file's name that a protocol cannot carry gives way to a plain one.
        const std::string_view single =
            unfitConditionName(trimmed(options_.singleCondition)).empty() ? trimmed(options_.singleCondition) : "events";
        std::unordered_map<std::string_view, std::size_t> conditionIndex;
        for (std::size_t row = 0; row < table_.rowCount(); ++row) {
            std::string_view name = single;
            if (condition_) {
                const std::string_view cell = table_.cell(row, *condition_);
                if (isNotAvailable(cell)) {
                    if (unnamedRows_++ == 0) firstUnnamedLine_ = table_.lineOf(row);
                    continue;
                }
                name = trimmed(cell);
            }
            ProtocolInterval interval;
            if (auto problem = readTimes(row, interval); !problem.empty()) return fail(problem);
            if (weights_) {
                const ParseResult<CellNumber> weight = cellNumber(table_, row, *weights_);
                if (!weight) return fail(weight.error + " (the event's parametric weight)");
                if (weight.value->notAvailable && unweighted_++ == 0) firstUnweightedLine_ = table_.lineOf(row);
                interval.weights.push_back(weight.value->value);
            }
            const auto [place, added] = conditionIndex.try_emplace(name, protocol.conditions.size());
            if (added) {
                // A name is checked where it first appears; its later rows hold the same.
                if (const std::string why = unfitConditionName(name); !why.empty())
                    return fail(cellPlace(table_, row, *condition_) + ": " + why + ", found \"" +
                                visibleText(table_.cell(row, *condition_), 60) + "\"");
                protocol.conditions.push_back({std::string(name), {}, conditionColor(place->second)});
            }
            protocol.conditions[place->second].intervals.push_back(std::move(interval));
            ++result.events;
        }
        if (result.events == 0) return fail(noEventMessage());
        result.warnings = warnings();
        return ParseResult<ImportedProtocol>::success(std::move(result));
    }

private:
    std::string findColumns() {
        const ParseResult<std::size_t> onset = requiredColumn(table_, "onset");
        if (!onset) return onset.error;
        const ParseResult<std::size_t> duration = requiredColumn(table_, "duration");
        if (!duration) return duration.error;
        onset_ = *onset.value;
        duration_ = *duration.value;
        if (table_.column(options_.conditionColumn) || options_.conditionColumnAskedFor) {
            const ParseResult<std::size_t> condition = requiredColumn(table_, options_.conditionColumn);
            if (!condition) return condition.error;
            condition_ = *condition.value;
        }
        if (options_.weightsColumn) {
            const ParseResult<std::size_t> weights = requiredColumn(table_, *options_.weightsColumn);
            if (!weights) return weights.error;
            weights_ = *weights.value;
        }
        return {};
    }

    std::string readTimes(std::size_t row, ProtocolInterval& interval) {
        const ParseResult<CellNumber> onset = cellNumber(table_, row, onset_);
        if (!onset) return onset.error + " (the event's onset in seconds)";
        if (onset.value->notAvailable)
            return cellPlace(table_, row, onset_) + ": expected the event's onset in seconds, found n/a";
        const ParseResult<CellNumber> duration = cellNumber(table_, row, duration_);
        if (!duration) return duration.error + " (the event's duration in seconds, 0 or more)";
        if (duration.value->notAvailable)
            return cellPlace(table_, row, duration_) +
                   ": expected the event's duration in seconds, found n/a (0 stands for an impulse)";
        if (duration.value->value < 0)
            return cellPlace(table_, row, duration_) + ": expected a duration of 0 seconds or more, found " +
                   visibleText(trimmed(table_.cell(row, duration_)), 40);
        const double start = onset.value->value, length = duration.value->value;
        if (!toMilliseconds(start, interval.start) || !toMilliseconds(start + length, interval.end))
            return cellPlace(table_, row, onset_) +
                   formatText(": the event from %g s to %g s lies beyond the %.0f days a protocol in milliseconds "
                              "can count",
                              start, start + length, std::numeric_limits<std::int32_t>::max() / 86400000.0);
        if (start < 0 && negativeOnsets_++ == 0) firstNegativeLine_ = table_.lineOf(row);
        if (length > 0 && interval.start == interval.end && shortened_++ == 0) firstShortenedLine_ = table_.lineOf(row);
        return {};
    }

    std::string noEventMessage() const {
        if (table_.rowCount() == 0)
            return formatText("%s, line %zu: no event; the table holds a header line and no row", tableName(table_).c_str(),
                              table_.headerLine() + 1);
        return formatText("%s, line %zu, column \"%s\": no event; every row's condition is n/a", tableName(table_).c_str(),
                          table_.lineOf(0), visibleText(options_.conditionColumn).c_str());
    }

    std::vector<std::string> warnings() const {
        std::vector<std::string> list;
        const std::string name = tableName(table_);
        if (unnamedRows_ > 0)
            list.push_back(formatText("%s: %zu row(s) whose \"%s\" is n/a left out (the first on line %zu)", name.c_str(),
                                      unnamedRows_, visibleText(options_.conditionColumn).c_str(), firstUnnamedLine_));
        if (unweighted_ > 0)
            list.push_back(formatText("%s: %zu event(s) whose \"%s\" is n/a weighted 0 (the first on line %zu)",
                                      name.c_str(), unweighted_, visibleText(*options_.weightsColumn).c_str(),
                                      firstUnweightedLine_));
        if (negativeOnsets_ > 0)
            list.push_back(formatText("%s: %zu event(s) begin before the first volume (negative onset, the first on "
                                      "line %zu); a run clips them",
                                      name.c_str(), negativeOnsets_, firstNegativeLine_));
        if (shortened_ > 0)
            list.push_back(formatText("%s: %zu event(s) shorter than half a millisecond become zero-length, "
                                      "which the host takes for an impulse (the first on line %zu)",
                                      name.c_str(), shortened_, firstShortenedLine_));
        return list;
    }

    ParseResult<ImportedProtocol> fail(const std::string& why) const { return ParseResult<ImportedProtocol>::failure(why); }

    const TsvTable& table_;
    const EventsOptions& options_;
    std::size_t onset_ = 0, duration_ = 0;
    std::optional<std::size_t> condition_, weights_;
    std::size_t unnamedRows_ = 0, firstUnnamedLine_ = 0;
    std::size_t unweighted_ = 0, firstUnweightedLine_ = 0;
    std::size_t negativeOnsets_ = 0, firstNegativeLine_ = 0;
    std::size_t shortened_ = 0, firstShortenedLine_ = 0;
};

}  // namespace

Rgb conditionColor(std::size_t index) {
    return palette[index % std::size(palette)];
}

ParseResult<ImportedProtocol> protocolFromEvents(const TsvTable& events, const EventsOptions& options) {
    return EventsReader(events, options).read();
}

}  // namespace morvane
