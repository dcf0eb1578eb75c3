#include "bids/eventsToProtocol.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "bids/bidsNames.h"

namespace morvane {
namespace {

TsvTable table(const std::string& text) {
    auto parsed = parseTsvTable(text, "e.tsv");
    if (!parsed) ADD_FAILURE() << parsed.error;
    return parsed ? std::move(*parsed.value) : TsvTable{};
}

ParseResult<ImportedProtocol> import(const std::string& text, EventsOptions options = {}) {
    return protocolFromEvents(table(text), options);
}

struct Interval {
    int start, end;
    friend bool operator==(const Interval&, const Interval&) = default;
};
std::vector<Interval> intervals(const ProtocolCondition& condition) {
    std::vector<Interval> result;
    for (const ProtocolInterval& interval : condition.intervals) result.push_back({interval.start, interval.end});
    return result;
}
void PrintTo(const Interval& i, std::ostream* out) { *out << "[" << i.start << ", " << i.end << "]"; }

TEST(EventsToProtocol, ConditionsInOrderOfFirstAppearanceWithTheirEventsInTableOrder) {
    // Unsorted, overlapping, zero durations, blanks around and inside names, letters beyond ASCII.
    const auto imported = import(
        "onset\tduration\ttrial_type\tresponse_time\n"
        "30.5\t2\tfamous face\t0.61\n"
        "2.0\t0\t \xC3\xA9motion \t n/a\n"
        "31.5\t2\tfamous face\t0.7\n"
        "1.25\t4.5\t\xE9\xA1\x94\tn/a\n"
        "0\t1.0005\t\xC3\xA9motion\t0.4\n");
    ASSERT_TRUE(imported) << imported.error;
    const Protocol& protocol = imported.value->protocol;
    EXPECT_EQ(protocol.fileVersion, 3);
    EXPECT_TRUE(protocol.inMilliseconds);
    EXPECT_EQ(protocol.parametricWeights, 0);
    ASSERT_EQ(protocol.conditions.size(), 3u);
    EXPECT_EQ(protocol.conditions[0].name, "famous face");
    EXPECT_EQ(protocol.conditions[1].name, "\xC3\xA9motion");
    EXPECT_EQ(protocol.conditions[2].name, "\xE9\xA1\x94");
    EXPECT_EQ(intervals(protocol.conditions[0]), (std::vector<Interval>{{30500, 32500}, {31500, 33500}}));
    // (0 + 1.0005) * 1000 is 1000.5 in doubles, rounded away from zero.
    EXPECT_EQ(intervals(protocol.conditions[1]), (std::vector<Interval>{{2000, 2000}, {0, 1001}}));
    EXPECT_EQ(intervals(protocol.conditions[2]), (std::vector<Interval>{{1250, 5750}}));
    EXPECT_EQ(imported.value->events, 5u);
    EXPECT_TRUE(imported.value->warnings.empty());
    const std::set<std::string> colors = {
        std::to_string(packedColor(protocol.conditions[0].color)), std::to_string(packedColor(protocol.conditions[1].color)),
        std::to_string(packedColor(protocol.conditions[2].color))};
    EXPECT_EQ(colors.size(), 3u) << "each condition its own colour";
}

TEST(EventsToProtocol, RoundingOfSecondsToMilliseconds) {
    struct Case {
        const char* onset;
        const char* duration;
        Interval expected;
    };
    const Case cases[] = {
        // Halves (exact in binary) round away from zero.
        {"0.0014", "0.0022", {1, 4}},  {"0.0625", "0", {63, 63}},    {"-0.0625", "0.03125", {-63, -31}},
        {"12.3456", "1e-1", {12346, 12446}}, {"+7", "2.5E+0", {7000, 9500}}, {"2147483.647", "0", {2147483647, 2147483647}},
        {"-2147483.648", "0", {-2147483647 - 1, -2147483647 - 1}},
    };
    for (const Case& c : cases) {
        const auto imported = import(std::string("onset\tduration\n") + c.onset + "\t" + c.duration + "\n");
        ASSERT_TRUE(imported) << c.onset << ": " << imported.error;
        EXPECT_EQ(intervals(imported.value->protocol.conditions[0]), std::vector<Interval>{c.expected}) << c.onset;
    }
}

TEST(EventsToProtocol, NotAvailableConditionsAreLeftOutBeforeAnythingElseIsRead) {
    const auto imported = import(
        "onset\tduration\ttrial_type\tmodulation\n"
        "n/a\tn/a\tn/a\tn/a\n"
        "1\t1\tgo\t2.5\n"
        "2\tgarbage\tN/A\tgarbage\n"
        "3\t1\tgo\tn/a\n"
        "-4\t1\tstop\tn/a\n",
        EventsOptions{"trial_type", false, "events", "modulation", "exp"});
    ASSERT_TRUE(imported) << imported.error;
    const Protocol& protocol = imported.value->protocol;
    EXPECT_EQ(protocol.parametricWeights, 1);
    EXPECT_EQ(protocol.experiment, "exp");
    ASSERT_EQ(protocol.conditions.size(), 2u);
    ASSERT_EQ(protocol.conditions[0].intervals.size(), 2u);
    EXPECT_EQ(protocol.conditions[0].intervals[0].weights, std::vector<double>{2.5});
    EXPECT_EQ(protocol.conditions[0].intervals[1].weights, std::vector<double>{0.0});
    EXPECT_EQ(intervals(protocol.conditions[1]), (std::vector<Interval>{{-4000, -3000}}));
    EXPECT_EQ(imported.value->warnings,
              (std::vector<std::string>{
                  "e.tsv: 2 row(s) whose \"trial_type\" is n/a left out (the first on line 2)",
                  "e.tsv: 2 event(s) whose \"modulation\" is n/a weighted 0 (the first on line 5)",
                  "e.tsv: 1 event(s) begin before the first volume (negative onset, the first on line 6); a run clips "
                  "them"}));
}

TEST(EventsToProtocol, WithoutAConditionColumnOneConditionNamedAfterTheTask) {
    const std::string text = "onset\tduration\tresponse_time\n10\t5\t0.3\n0\t5\t0.4\n0.0000001\t0.0004\tn/a\n";
    EventsOptions options;
    options.singleCondition = bidsEntity("data/sub-01_ses-2_task-fingertapping_run-1_events.tsv", "task").value_or("events");
    auto imported = import(text, options);
    ASSERT_TRUE(imported) << imported.error;
    ASSERT_EQ(imported.value->protocol.conditions.size(), 1u);
    EXPECT_EQ(imported.value->protocol.conditions[0].name, "fingertapping");
    EXPECT_EQ(intervals(imported.value->protocol.conditions[0]),
              (std::vector<Interval>{{10000, 15000}, {0, 5000}, {0, 0}}));
    ASSERT_EQ(imported.value->warnings.size(), 1u);
    EXPECT_NE(imported.value->warnings[0].find("1 event(s) shorter than half a millisecond become zero-length"),
              std::string::npos);
    // A name from the file that a protocol cannot carry gives way.
    options.singleCondition = "say \"hi\"";
    imported = import(text, options);
    ASSERT_TRUE(imported) << imported.error;
    EXPECT_EQ(imported.value->protocol.conditions[0].name, "events");
}

TEST(EventsToProtocol, RefusalsNameTheTableTheLineAndTheColumn) {
    const std::string head = "onset\tduration\ttrial_type\tweight\n1\t1\ta\t1\n";
    EventsOptions weighted;
    weighted.weightsColumn = "weight";
    EventsOptions otherColumn;
    otherColumn.conditionColumn = "condition";
    otherColumn.conditionColumnAskedFor = true;
    struct Case {
        const char* what;
        std::string text;
        EventsOptions options;
        std::string message;
    };
    const Case cases[] = {
        {"no onset column", "time\tduration\n1\t1\n", {}, "e.tsv, line 1: no column \"onset\" in the header line (its columns: time, duration)"},
        {"no duration column", "onset\ttrial_type\n1\ta\n", {}, "e.tsv, line 1: no column \"duration\""},
        {"condition column asked for", head, otherColumn, "e.tsv, line 1: no column \"condition\""},
        {"weights column missing", "onset\tduration\n1\t1\n", weighted, "e.tsv, line 1: no column \"weight\""},
        {"onset no number", head + "1.5s\t1\tb\t1\n", {},
         "e.tsv, line 3, column \"onset\": expected a number, found \"1.5s\" (the event's onset in seconds)"},
        {"onset n/a", head + "n/a\t1\tb\t1\n", {}, "e.tsv, line 3, column \"onset\": expected the event's onset in seconds, found n/a"},
        {"duration negative", head + "2\t-0.5\tb\t1\n", {},
         "e.tsv, line 3, column \"duration\": expected a duration of 0 seconds or more, found -0.5"},
        {"duration n/a", head + "2\tn/a\tb\t1\n", {},
         "e.tsv, line 3, column \"duration\": expected the event's duration in seconds, found n/a (0 stands for an impulse)"},
        {"duration empty", head + "2\t\tb\t1\n", {},
         "e.tsv, line 3, column \"duration\": expected a number, found an empty cell"},
        {"weight no number", head + "2\t1\tb\thigh\n", weighted,
         "e.tsv, line 3, column \"weight\": expected a number, found \"high\" (the event's parametric weight)"},
        {"empty condition", head + "2\t1\t  \t1\n", {},
         "e.tsv, line 3, column \"trial_type\": an empty condition (a row without one takes n/a)"},
        {"condition with a quote", head + "2\t1\tsay \"go\"\t1\n", {},
         "e.tsv, line 3, column \"trial_type\": a condition with a double quote"},
        {"condition with a control character", head + "2\t1\tgo\rnow\t1\n", {},
         "e.tsv, line 3, column \"trial_type\": a condition with a control character"},
        {"beyond a protocol's milliseconds", head + "2147483.6475\t0\tb\t1\n", {},
         "e.tsv, line 3, column \"onset\": the event from 2.14748e+06 s to 2.14748e+06 s lies beyond the 25 days"},
        {"no row", "onset\tduration\ttrial_type\n", {}, "e.tsv, line 2: no event; the table holds a header line and no row"},
        {"every condition n/a", "onset\tduration\ttrial_type\n1\t1\tn/a\n2\t1\tn/a\n", {},
         "e.tsv, line 2, column \"trial_type\": no event; every row's condition is n/a"},
    };
    for (const Case& c : cases) {
        const auto imported = import(c.text, c.options);
        ASSERT_FALSE(imported) << c.what;
        EXPECT_EQ(imported.error.rfind(c.message, 0), 0u) << c.what << ": " << imported.error;
    }
}

TEST(EventsToProtocol, ThePaletteGivesNeighboursDifferentColoursAndRepeats) {
    std::set<std::int32_t> seen;
    std::size_t size = 0;
    while (seen.insert(packedColor(conditionColor(size))).second) ++size;
    EXPECT_GE(size, 8u);
    EXPECT_EQ(seen.count(0xFFFFFF), 0u) << "white is the constant's";
    EXPECT_EQ(conditionColor(size), conditionColor(0));
}

TEST(BidsNames, EntitiesAndStems) {
    EXPECT_EQ(bidsEntity("/data/sub-01/func/sub-01_task-faces_run-1_events.tsv", "task"), "faces");
    EXPECT_EQ(bidsEntity("sub-01_task-faces_run-1_events.tsv", "run"), "1");
    EXPECT_EQ(bidsEntity("sub-01_mytask-x_events.tsv", "task"), std::nullopt);
    EXPECT_EQ(bidsEntity("sub-01_task-_events.tsv", "task"), std::nullopt);
    EXPECT_EQ(bidsEntity("task-x/events.tsv", "task"), std::nullopt);
    EXPECT_EQ(bidsEntity("sub-01_task-a.b_events.tsv", "task"), "a");
    EXPECT_EQ(bidsStem("/data/sub-01_task-faces_run-1_events.tsv"), "sub-01_task-faces_run-1");
    EXPECT_EQ(bidsStem("sub-01_task-x_desc-confounds_timeseries.tsv.gz"), "sub-01_task-x_desc-confounds");
    EXPECT_EQ(bidsStem("sub-01_task-x.tsv"), "sub-01_task-x");
    EXPECT_EQ(bidsStem("events.tsv"), "events");
}

}  // namespace
}  // namespace morvane
