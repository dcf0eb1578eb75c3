#include "formats/protocolFile.h"

#include <gtest/gtest.h>

#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

ParseResult<Protocol> parse(const std::string& text) {
    std::vector<std::string> warnings;
    return parseProtocol(text, warnings);
}

TEST(ProtocolFile, VersionTwoInVolumesWithBlankLinesAndNamesWithBlanks) {
    auto parsed = parse(testing::volumesProtocol);
    ASSERT_TRUE(parsed) << parsed.error;
    const Protocol& protocol = *parsed.value;
    EXPECT_EQ(protocol.fileVersion, 2);
    EXPECT_FALSE(protocol.inMilliseconds);
    EXPECT_EQ(protocol.experiment, "Blocks, two");
    EXPECT_EQ(protocol.textColor, (Rgb{255, 255, 202}));
    EXPECT_EQ(protocol.timeCourseThickness, 3);
    ASSERT_EQ(protocol.conditions.size(), 2u);
    EXPECT_EQ(protocol.conditions[1].name, "Task A");
    ASSERT_EQ(protocol.conditions[1].intervals.size(), 2u);
    EXPECT_EQ(protocol.conditions[1].intervals[1].start, 9);
    EXPECT_EQ(protocol.conditions[1].intervals[1].end, 10);
    EXPECT_EQ(protocol.conditions[1].color, (Rgb{255, 128, 0}));
    EXPECT_EQ(packedColor(protocol.conditions[1].color), 0xFF8000);
}

TEST(ProtocolFile, VersionThreeInMsecWithWeightsTabsCrlfAndNoBlankLines) {
    const std::string text =
        "FileVersion: 3\r\nResolutionOfTime: msec\r\nExperiment: e\r\nBackgroundColor: 0 0 0\r\n"
        "TextColor: 1 2 3\r\nTimeCourseColor: 4 5 6\r\nTimeCourseThick: 2\r\nReferenceFuncColor: 7 8 9\r\n"
        "ReferenceFuncThick: 1\r\nParametricWeights: 1\r\nNrOfConditions: 2\r\n"
        "Events\r\n2\r\n0\t0\t1.50\r\n   34008    36009  -2\r\nColor: 255 0 0\r\n"
        "Nothing\r\n0\r\nColor: 0 0 255";
    auto parsed = parse(text);
    ASSERT_TRUE(parsed) << parsed.error;
    EXPECT_TRUE(parsed.value->inMilliseconds);
    EXPECT_EQ(parsed.value->parametricWeights, 1);
    const auto& intervals = parsed.value->conditions[0].intervals;
    ASSERT_EQ(intervals.size(), 2u);
    EXPECT_EQ(intervals[0].start, 0);
    EXPECT_EQ(intervals[0].end, 0);
    EXPECT_EQ(intervals[0].weights, std::vector<double>{1.5});
    EXPECT_EQ(intervals[1].start, 34008);
    EXPECT_EQ(intervals[1].weights, std::vector<double>{-2.0});
    EXPECT_TRUE(parsed.value->conditions[1].intervals.empty());
    EXPECT_EQ(parsed.value->conditions[1].color, (Rgb{0, 0, 255}));
}

TEST(ProtocolFile, OldFilesWithoutVersionOrResolutionCountInVolumes) {
    auto parsed = parse("NrOfConditions: 1\nA\n1\n3 4\nColor: 1 1 1\n");
    ASSERT_TRUE(parsed) << parsed.error;
    EXPECT_EQ(parsed.value->fileVersion, 1);
    EXPECT_FALSE(parsed.value->inMilliseconds);
}

TEST(ProtocolFile, TextAfterTheLastConditionIsAWarning) {
    std::vector<std::string> warnings;
    auto parsed = parseProtocol(std::string(testing::volumesProtocol) + "\nstray\n", warnings);
    ASSERT_TRUE(parsed) << parsed.error;
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("line"), std::string::npos);
}

TEST(ProtocolFile, FaultsNameTheLineAndWhatWasExpected) {
    const std::string head = "FileVersion: 2\nResolutionOfTime: Volumes\nNrOfConditions: 1\n";
    struct Case {
        const char* what;
        std::string text;
        const char* expected;  // parts of the message
        const char* line;
    };
    const Case cases[] = {
        {"missing colour line", head + "A\n1\n1 2\nB\n", "colour line", "line 7"},
        {"colour line missing at the end", head + "A\n1\n1 2\n", "colour line", "line 7"},
        {"non-numeric interval", head + "A\n1\n1 x\nColor: 1 2 3\n", "interval", "line 6"},
        {"fractional interval", head + "A\n1\n1.5 3\nColor: 1 2 3\n", "interval", "line 6"},
        {"reversed interval", head + "A\n1\n9 3\nColor: 1 2 3\n", "end is not before its start", "line 6"},
        {"negative interval count", head + "A\n-1\nColor: 1 2 3\n", "number of intervals", "line 5"},
        {"non-numeric interval count", head + "A\nsome\nColor: 1 2 3\n", "number of intervals", "line 5"},
        {"negative condition count", "NrOfConditions: -2\n", "number of conditions", "line 1"},
        {"missing condition count", "FileVersion: 2\nResolutionOfTime: Volumes\n", "NrOfConditions", "line 3"},
        {"missing weight", "ParametricWeights: 1\nNrOfConditions: 1\nA\n1\n1 2\nColor: 1 2 3\n", "weight",
         "line 5"},
        {"extra number", head + "A\n1\n1 2 3\nColor: 1 2 3\n", "interval", "line 6"},
        {"colour out of range", head + "A\n0\nColor: 1 2 300\n", "colour line", "line 6"},
        {"unknown resolution", "ResolutionOfTime: seconds\nNrOfConditions: 0\n", "Volumes", "line 1"},
        {"unknown version", "FileVersion: 7\nNrOfConditions: 0\n", "FileVersion", "line 1"},
        {"fewer conditions than declared", "NrOfConditions: 2\nA\n0\nColor: 1 2 3\n", "condition 2", "line 5"},
        {"header line without key", "FileVersion 2\nNrOfConditions: 0\n", "Key: value", "line 1"},
    };
    for (const Case& c : cases) {
        auto parsed = parse(c.text);
        ASSERT_FALSE(parsed) << c.what;
        EXPECT_NE(parsed.error.find(c.expected), std::string::npos) << c.what << ": " << parsed.error;
        EXPECT_NE(parsed.error.find(c.line), std::string::npos) << c.what << ": " << parsed.error;
    }
}

TEST(ProtocolFile, WrittenProtocolsReadBackTheSame) {
    Protocol msec;
    msec.fileVersion = 3;
    msec.inMilliseconds = true;
    msec.experiment = "sub-01 task-faces, run 1";
    msec.parametricWeights = 1;
    msec.conditions = {
        {"famous face", {{-1500, 0, {0.1}}, {2000, 2000, {-1.0 / 3.0}}, {100000, 184000, {1e-300}}}, {228, 26, 28}},
        {"visage inconnu \xC3\xA9", {{7, 2147483647, {-0.0}}, {-2147483647 - 1, -5, {123456789.125}}}, {55, 126, 184}},
        {"no events", {}, {0, 0, 0}},
    };
    Protocol volumes;
    volumes.fileVersion = 2;
    volumes.backgroundColor = {1, 2, 3};
    volumes.timeCourseThickness = 5;
    volumes.conditions = {{"Rest", {{1, 10, {}}, {41, 50, {}}}, {170, 170, 170}}, {"Task A", {{11, 40, {}}}, {255, 128, 0}}};
    Protocol old = volumes;
    old.fileVersion = 1;
    Protocol none;
    none.fileVersion = 3;
    for (const Protocol* protocol : {&msec, &volumes, &old, &none}) {
        const std::string text = protocolText(*protocol);
        std::vector<std::string> warnings;
        const auto parsed = parseProtocol(text, warnings);
        ASSERT_TRUE(parsed) << parsed.error << "\n" << text;
        EXPECT_TRUE(*parsed.value == *protocol) << text;
        EXPECT_TRUE(warnings.empty()) << text;
        EXPECT_EQ(text.find("FileVersion:"), protocol->fileVersion >= 2 ? 0u : std::string::npos) << text;
    }
    // The host's layout: padded keys, groups apart, an interval a line.
    const std::string text = protocolText(msec);
    EXPECT_EQ(text.rfind("FileVersion:        3\n\nResolutionOfTime:   msec\n\nExperiment:         sub-01 task-faces, run 1\n\n"
                         "BackgroundColor:    0 0 0\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("\nReferenceFuncThick: 2\n\nParametricWeights:  1\n\nNrOfConditions:     3\n\nfamous face\n3\n"
                        "   -1500        0  0.1\n    2000     2000  -0.3333333333333333\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nno events\n0\nColor: 0 0 0\n"), std::string::npos) << text;
    EXPECT_EQ(protocolText(volumes).find("ParametricWeights"), std::string::npos);
}

TEST(ProtocolFile, TheExampleProtocolsWrittenAgainReadTheSame) {
    for (const char* name : {"run1.prt", "run2.prt", "run3.prt"}) {
        std::vector<std::string> warnings;
        const auto original = readProtocolFile(std::string(EXAMPLE_STUDY) + "/" + name, warnings);
        ASSERT_TRUE(original) << original.error;
        const auto again = parseProtocol(protocolText(*original.value), warnings);
        ASSERT_TRUE(again) << again.error;
        EXPECT_TRUE(*again.value == *original.value) << name;
    }
}

TEST(ProtocolFile, ReadingAFileNamesItInMessages) {
    testing::ScratchFolder folder;
    testing::writeFile(folder.file("broken.prt"), "NrOfConditions: 1\nA\n1\n1 2\n");
    std::vector<std::string> warnings;
    auto broken = readProtocolFile(folder.file("broken.prt"), warnings);
    ASSERT_FALSE(broken);
    EXPECT_EQ(broken.error.rfind(folder.file("broken.prt"), 0), 0u) << broken.error;
    EXPECT_FALSE(readProtocolFile(folder.file("missing.prt"), warnings));
}

}  // namespace
}  // namespace morvane
