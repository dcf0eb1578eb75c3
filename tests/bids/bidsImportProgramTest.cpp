// `morvane import events` and `morvane import confounds` end to end on realistic tables, and
// what a batch run makes of their files.
#include <cmath>
#include <numbers>

#include "formats/motionColumns.h"
#include "formats/protocolFile.h"
#include "tests/bids/bidsProgramTest.h"

namespace morvane::bidstest {
namespace {

using testing::readFile;
using testing::writeFile;

const std::string emotionEvents = "bids/sub-02_task-emotionalfaces_acq-mb4_run-2_events.tsv";

// The same events as the emotional-faces table (BOM, CRLF, trailing tabs, unsorted,
// overlapping, zero durations), written by hand as a msec protocol in another layout: tabs,
// no blank lines, the conditions' colours as the import gives them.
const char* const handWrittenProtocol =
    "FileVersion: 3\r\nResolutionOfTime: msec\r\nExperiment: by hand\r\nBackgroundColor: 0 0 0\r\n"
    "TextColor: 255 255 255\r\nTimeCourseColor: 255 255 255\r\nTimeCourseThick: 2\r\n"
    "ReferenceFuncColor: 0 255 0\r\nReferenceFuncThick: 2\r\nParametricWeights: 1\r\nNrOfConditions: 6\r\n"
    "visage effray\xC3\xA9\r\n2\r\n12000\t15000\t0.8\r\n60000\t63000\t0\r\nColor: 228 26 28\r\n"
    "famous face\r\n4\r\n2500\t5500\t0\r\n45250\t48250\t0.5\r\n31500\t34500\t0.25\r\n250500\t253500\t0.75\r\n"
    "Color: 55 126 184\r\n"
    "button press\r\n3\r\n3700\t3700\t0\r\n13234\t13234\t0\r\n61750\t61750\t0\r\nColor: 77 175 74\r\n"
    "\xC3\x9C" "berraschung \xE2\x80\x93 lang\r\n2\r\n30000\t42500\t1\r\n180000\t200000\t1\r\nColor: 152 78 163\r\n"
    "\xE9\xA1\x94 (\xE4\xB8\xAD\xE7\xAB\x8B)\r\n1\r\n100125\t102125\t0.15\r\nColor: 255 127 0\r\n"
    "instruction\r\n1\r\n-1500\t0\t0\r\nColor: 255 255 51\r\n";

TEST_F(StudyCopy, ImportedEventsGiveTheDesignMatrixOfTheSameEventsWrittenByHand) {
    const Outcome imported = morvane({"import", "events", emotionEvents, "--output", "events.prt", "--weights-column",
                                  "intensity", "--experiment", "by hand"});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_NE(imported.err.find("1 row(s) whose \"trial_type\" is n/a left out (the first on line 9)"), std::string::npos)
        << imported.err;
    EXPECT_NE(imported.err.find("6 event(s) whose \"intensity\" is n/a weighted 0 (the first on line 3)"), std::string::npos)
        << imported.err;
    EXPECT_NE(imported.err.find("1 event(s) begin before the first volume"), std::string::npos) << imported.err;
    EXPECT_NE(imported.err.find("events.prt written: 6 condition(s), 13 event(s)"), std::string::npos) << imported.err;

    std::vector<std::string> warnings;
    const auto fromEvents = readProtocolFile(at("events.prt"), warnings);
    const auto byHand = parseProtocol(handWrittenProtocol, warnings);
    ASSERT_TRUE(fromEvents) << fromEvents.error;
    ASSERT_TRUE(byHand) << byHand.error;
    EXPECT_TRUE(*fromEvents.value == *byHand.value) << readFile(at("events.prt"));

    // Both through a batch run, each with its own copy of run 2's VTC (120 volumes of 2.5 s).
    writeFile(at("hand.prt"), handWrittenProtocol);
    fs::copy_file(at("run2.vtc"), at("hand.vtc"));
    writeFile(at("file-list.txt"), "2\nevents.prt\nrun2.vtc\nhand.prt\nhand.vtc\n");
    for (const char* hrf : {"two-gamma", "boynton"}) {
        std::vector<std::string> answers = batchAnswers;
        answers[3] = hrf;
        const Outcome run = morvane(answers);
        ASSERT_EQ(run.status, 0) << run.err;
        const SdmContent events = sdm("run2_events.sdm"), hand = sdm("hand_hand.sdm");
        EXPECT_EQ(events.names, (std::vector<std::string>{"visage effray\xC3\xA9", "famous face", "button press",
                                                          "\xC3\x9C" "berraschung \xE2\x80\x93 lang",
                                                          "\xE9\xA1\x94 (\xE4\xB8\xAD\xE7\xAB\x8B)", "instruction",
                                                          "Constant"}));
        EXPECT_EQ(events.dataPoints, 120);
        EXPECT_EQ(events.names, hand.names);
        EXPECT_EQ(events.colors, hand.colors);
        EXPECT_EQ(events.values, hand.values) << hrf;
        // Not all zeros: the events reached the predictors.
        EXPECT_GT(*std::max_element(events.values.begin(), events.values.end()), 0.5);
    }
}

TEST_F(StudyCopy, RealEventsTablesBecomeProtocols) {
    struct Case {
        const char* table;
        std::vector<std::string> options;
        std::vector<std::string> conditions;
        std::vector<std::size_t> events;
        const char* experiment;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {"bids/sub-01_task-facerecognition_run-1_events.tsv",
         {"--weights-column", "response_time"},
         {"fixation", "famous", "unfamiliar", "scrambled"},
         {4, 5, 4, 4},
         "sub-01_task-facerecognition_run-1",
         {"1 row(s) whose \"trial_type\" is n/a left out (the first on line 8)",
          "6 event(s) whose \"response_time\" is n/a weighted 0 (the first on line 2)"}},
        {"bids/sub-01_task-facerecognition_run-1_events.tsv",
         {"--condition-column", "correct"},
         {"1", "0"},
         {9, 2},
         "sub-01_task-facerecognition_run-1",
         {"7 row(s) whose \"correct\" is n/a left out (the first on line 2)"}},
        {"bids/sub-03_task-fingertapping_events.tsv", {}, {"fingertapping"}, {4}, "sub-03_task-fingertapping",
         {"1 event(s) begin before the first volume (negative onset, the first on line 2)"}},
        {emotionEvents.c_str(), {}, {"visage effray\xC3\xA9", "famous face", "button press",
          "\xC3\x9C" "berraschung \xE2\x80\x93 lang", "\xE9\xA1\x94 (\xE4\xB8\xAD\xE7\xAB\x8B)", "instruction"},
         {2, 4, 3, 2, 1, 1}, "sub-02_task-emotionalfaces_acq-mb4_run-2", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"import", "events", c.table, "--output", "out.prt"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const Outcome run = morvane(arguments);
        ASSERT_EQ(run.status, 0) << c.table << "\n" << run.err;
        for (const std::string& warning : c.warnings)
            EXPECT_NE(run.err.find(std::string("morvane: warning: ") + c.table + ": " + warning), std::string::npos)
                << c.table << "\n" << run.err;
        std::vector<std::string> warnings;
        const auto protocol = readProtocolFile(at("out.prt"), warnings);
        ASSERT_TRUE(protocol) << protocol.error;
        EXPECT_EQ(protocol.value->experiment, c.experiment);
        std::vector<std::string> names;
        std::vector<std::size_t> counts;
        for (const ProtocolCondition& condition : protocol.value->conditions) {
            names.push_back(condition.name);
            counts.push_back(condition.intervals.size());
        }
        EXPECT_EQ(names, c.conditions) << c.table;
        EXPECT_EQ(counts, c.events) << c.table;
        EXPECT_EQ(protocol.value->parametricWeights, c.options.size() == 2 && c.options[0] == "--weights-column" ? 1 : 0);
    }
}

// The motion columns of a confound table read independently: rows of six values, n/a as NaN.
std::vector<std::vector<double>> motionOfTable(const std::string& text) {
    const auto rows = tabRows(text);
    std::vector<std::size_t> columns;
    for (const char* name : {"trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"})
        columns.push_back(static_cast<std::size_t>(std::find(rows[0].begin(), rows[0].end(), name) - rows[0].begin()));
    std::vector<std::vector<double>> motion;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (rows[r].size() == 1 && rows[r][0].empty()) continue;
        std::vector<double> values;
        for (std::size_t column : columns) values.push_back(strtodCell(rows[r].at(column)));
        motion.push_back(values);
    }
    return motion;
}

TEST_F(StudyCopy, ImportedConfoundsAreMotionFilesThePluginTakes) {
    const struct {
        const char* table;
        const char* output;
        int volumes;
    } runs[] = {{"bids/sub-01_task-facerecognition_run-1_desc-confounds_timeseries.tsv", "run1_3DMC.sdm", 150},
                {"bids/sub-02_task-emotionalfaces_acq-mb4_run-2_desc-confounds_timeseries.tsv", "run2_3DMC.sdm", 120}};
    for (const auto& run : runs) {
        const Outcome imported = morvane({"import", "confounds", run.table, "--output", run.output});
        ASSERT_EQ(imported.status, 0) << imported.err;
        EXPECT_NE(imported.err.find(std::string(run.output) + " written: 6 motion predictors, " +
                                    std::to_string(run.volumes) + " data point(s)"),
                  std::string::npos)
            << imported.err;
        // Only derivatives are n/a in the first row; the positions themselves are numbers.
        EXPECT_EQ(imported.err.find("warning"), std::string::npos) << imported.err;

        const SdmContent motion = sdm(run.output);
        ASSERT_EQ(motion.dataPoints, run.volumes);
        ASSERT_EQ(motion.predictorCount(), 6);
        EXPECT_EQ(motion.includesConstant, 0);
        for (std::size_t m = 0; m < 6; ++m) {
            EXPECT_EQ(motion.names[m], hostMotionColumns[m].name);
            EXPECT_EQ(motion.colors[m], hostMotionColumns[m].color);
        }
        const auto table = motionOfTable(readFile(at(run.table)));
        ASSERT_EQ(table.size(), static_cast<std::size_t>(run.volumes));
        for (int row = 0; row < run.volumes; ++row) {
            for (int m = 0; m < 6; ++m) {
                double expected = table[static_cast<std::size_t>(row)][static_cast<std::size_t>(m)];
                if (std::isnan(expected) && row == 0) expected = 0.0;
                if (m >= 3) expected *= 180.0 / std::numbers::pi;
                // Six significant digits, as the host writes motion files.
                EXPECT_NEAR(motion.value(row, m), expected, std::abs(expected) * 5e-6 + 1e-300) << row << ", " << m;
            }
        }
    }
    // The plugin adds them to the design matrices of a batch run.
    writeFile(at("file-list.txt"), "2\nrun1.prt\nrun1.vtc\nrun1_3DMC.sdm\nrun2.prt\nrun2.vtc\nrun2_3DMC.sdm\n");
    const Outcome batch = morvane(batchAnswers);
    ASSERT_EQ(batch.status, 0) << batch.err;
    const SdmContent extended = sdm("run2_run2_3DMC.sdm");
    ASSERT_EQ(extended.dataPoints, 120);
    EXPECT_NE(std::find(extended.names.begin(), extended.names.end(), "Rotation MN-Z [deg]"), extended.names.end());
}

TEST_F(StudyCopy, RefusedTablesWriteNothingAndKeepAnOldOutput) {
    writeFile(at("bad_events.tsv"), "onset\tduration\ttrial_type\n1\t2\tgo\n3\t-1\tstop\n");
    writeFile(at("kept.prt"), "an older protocol");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* message;
        const char* output;
    };
    const Case cases[] = {
        {{"import", "events", "bad_events.tsv", "--output", "new.prt"}, 1,
         "morvane: bad_events.tsv, line 3, column \"duration\": expected a duration of 0 seconds or more, found -1",
         "new.prt"},
        {{"import", "events", "bad_events.tsv", "--output", "kept.prt"}, 1, "expected a duration of 0 seconds or more",
         "kept.prt"},
        {{"import", "confounds", "bad_events.tsv", "--output", "new_3DMC.sdm"}, 1,
         "morvane: bad_events.tsv, line 1: no column \"trans_x\" in the header line (its columns: onset, duration, "
         "trial_type)",
         "new_3DMC.sdm"},
        {{"import", "events", "bad_events.tsv", "--output", "bad_events.tsv", "--condition-column", "onset"}, 1,
         "is the input file itself", "bad_events.tsv"},
        {{"export", "bad_events.tsv", "--output", "new.tsv"}, 1, "morvane: bad_events.tsv, line 1: expected", "new.tsv"},
        {{"import", "events", "bad_events.tsv"}, 2, "--output is required", "bad_events.tsv"},
        {{"export", "run1.prt", "--output", "x.tsv", "--format", "xml"}, 2, "--format", "x.tsv"},
        {{"import", "events", "bad_events.tsv", "--output", "x.prt", "--experiment", "two\nlines"}, 2,
         "--experiment must be a single line", "x.prt"},
        {{"import"}, 2, "", "x.prt"},
    };
    for (const Case& c : cases) {
        const std::string before = fs::exists(at(c.output)) ? readFile(at(c.output)) : std::string("(none)");
        const Outcome run = morvane(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.back() << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.message << "\n" << run.err;
        EXPECT_EQ(fs::exists(at(c.output)) ? readFile(at(c.output)) : std::string("(none)"), before) << c.output;
    }
    for (const auto& entry : fs::directory_iterator(scratch.path()))
        EXPECT_EQ(entry.path().filename().string().find(".morvane-"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace morvane::bidstest
