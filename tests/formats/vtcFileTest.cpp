#include "formats/vtcFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

using testing::smallVtcHeader;
using testing::vtcFileBytes;

ParseResult<VtcFileHeader> parseBytes(const std::string& bytes) {
    std::istringstream in(bytes);
    return parseVtcHeader(in);
}

TEST(VtcHeader, VersionThreeRoundTripsWithItsDocumentedLength) {
    VtcFileHeader header = smallVtcHeader(12, 1500.0f);
    header.protocolNames = {"a.prt", "longer-name.prt"};
    header.currentProtocol = 1;
    header.leftRightConvention = 1;
    header.referenceSpace = 3;
    const std::string bytes = vtcHeaderBytes(header);
    EXPECT_EQ(bytes.size(), 30u + header.sourceName.size() + 1 + 6 + 16);
    auto parsed = parseBytes(bytes + "data");
    ASSERT_TRUE(parsed) << parsed.error;
    EXPECT_EQ(parsed.value->headerLength, bytes.size());
    EXPECT_EQ(parsed.value->protocolNames, header.protocolNames);
    EXPECT_EQ(parsed.value->currentProtocol, 1);
    EXPECT_EQ(parsed.value->numberOfVolumes, 12);
    EXPECT_EQ(parsed.value->bounds, header.bounds);
    EXPECT_EQ(parsed.value->referenceSpace, 3);
    EXPECT_FLOAT_EQ(parsed.value->repetitionTimeMs, 1500.0f);
    EXPECT_EQ(vtcHeaderBytes(*parsed.value), bytes);
}

TEST(VtcHeader, VersionTwoRoundTripsWithOneProtocolAndSixteenBitData) {
    VtcFileHeader header = smallVtcHeader(7, 2500.0f);
    header.version = 2;
    header.dataType = 1;
    header.hrfDelta = 2.5f;
    header.hrfTau = 1.25f;
    header.segmentSize = 3;
    const std::string bytes = vtcHeaderBytes(withProtocol(header, "run.prt"));
    EXPECT_EQ(bytes.size(), 36u + header.sourceName.size() + 1 + 8);
    auto parsed = parseBytes(bytes);
    ASSERT_TRUE(parsed) << parsed.error;
    EXPECT_EQ(parsed.value->protocolNames, std::vector<std::string>{"run.prt"});
    EXPECT_EQ(parsed.value->dataType, 1);
    EXPECT_EQ(parsed.value->segmentSize, 3);
    EXPECT_EQ(vtcDataBytes(*parsed.value), 2u * 2 * 1 * 7 * 2);
    // An empty protocol name is no protocol.
    auto none = parseBytes(vtcHeaderBytes(withProtocol(header, "")));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none.value->protocolNames.empty());
}

TEST(VtcHeader, AttachingAProtocolKeepsEveryOtherField) {
    VtcFileHeader header = smallVtcHeader();
    header.protocolNames = {"old1.prt", "old2.prt"};
    header.currentProtocol = 1;
    const VtcFileHeader updated = withProtocol(header, "new.prt");
    EXPECT_EQ(updated.protocolNames, std::vector<std::string>{"new.prt"});
    EXPECT_EQ(updated.currentProtocol, 0);
    EXPECT_EQ(updated.numberOfVolumes, header.numberOfVolumes);
    EXPECT_EQ(updated.sourceName, header.sourceName);
}

TEST(VtcHeader, ReadingFailsOnUnknownVersionsTruncationAndNegativeProtocolCounts) {
    const std::string good = vtcHeaderBytes(smallVtcHeader());
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string negativeCount = good;
    const std::size_t countAt = 2 + smallVtcHeader().sourceName.size() + 1;
    negativeCount[countAt] = '\xFF';
    negativeCount[countAt + 1] = '\xFF';
    std::string version4 = good;
    version4[0] = 4;
    const Case cases[] = {
        {"empty", ""},
        {"one byte", std::string(1, '\3')},
        {"version 4", version4},
        {"version 0", std::string("\0\0", 2) + good.substr(2)},
        {"cut inside the bounds", good.substr(0, good.size() - 8)},
        {"unterminated name", std::string("\3\0", 2) + "run.fmr"},
        {"negative protocol count", negativeCount},
    };
    for (const Case& c : cases) {
        auto parsed = parseBytes(c.bytes);
        EXPECT_FALSE(parsed) << c.what;
        EXPECT_FALSE(parsed.error.empty()) << c.what;
    }
}

TEST(VtcHeader, HeadersThatCannotDescribeARealFileAreNamed) {
    struct Case {
        const char* what;
        void (*change)(VtcFileHeader&);
        const char* reasonPart;
    };
    const Case cases[] = {
        {"no volumes", [](VtcFileHeader& h) { h.numberOfVolumes = 0; }, "volumes"},
        {"negative volumes", [](VtcFileHeader& h) { h.numberOfVolumes = -3; }, "volumes"},
        {"zero resolution", [](VtcFileHeader& h) { h.resolution = 0; }, "resolution"},
        {"negative resolution", [](VtcFileHeader& h) { h.resolution = -1; }, "resolution"},
        {"X reversed", [](VtcFileHeader& h) { h.bounds[1] = -1; }, "X bounds"},
        {"Z reversed", [](VtcFileHeader& h) { h.bounds[4] = 5; }, "Z bounds"},
        {"zero TR", [](VtcFileHeader& h) { h.repetitionTimeMs = 0.0f; }, "TR"},
        {"negative TR", [](VtcFileHeader& h) { h.repetitionTimeMs = -2000.0f; }, "TR"},
        {"NaN TR", [](VtcFileHeader& h) { h.repetitionTimeMs = std::nanf(""); }, "TR"},
        {"infinite TR",
         [](VtcFileHeader& h) { h.repetitionTimeMs = std::numeric_limits<float>::infinity(); }, "TR"},
        {"data type 3", [](VtcFileHeader& h) { h.dataType = 3; }, "data type"},
        {"data type 0", [](VtcFileHeader& h) { h.dataType = 0; }, "data type"},
    };
    for (const Case& c : cases) {
        VtcFileHeader header = smallVtcHeader();
        c.change(header);
        header.headerLength = vtcHeaderBytes(header).size();
        const std::string problem = vtcHeaderProblem(header, 1u << 20);
        EXPECT_NE(problem.find(c.reasonPart), std::string::npos) << c.what << ": " << problem;
    }
}

TEST(VtcHeader, TheFileMustHoldTheDataItsHeaderPromisesButMayCarryMore) {
    testing::ScratchFolder folder;
    const VtcFileHeader header = smallVtcHeader(10);
    const std::string bytes = vtcFileBytes(header);
    testing::writeFile(folder.file("exact.vtc"), bytes);
    testing::writeFile(folder.file("trailing.vtc"), bytes + "extra");
    testing::writeFile(folder.file("short.vtc"), bytes.substr(0, bytes.size() - 1));
    EXPECT_TRUE(readVtcHeader(folder.file("exact.vtc")));
    EXPECT_TRUE(readVtcHeader(folder.file("trailing.vtc")));
    auto shortFile = readVtcHeader(folder.file("short.vtc"));
    ASSERT_FALSE(shortFile);
    EXPECT_NE(shortFile.error.find("promises"), std::string::npos) << shortFile.error;
    EXPECT_FALSE(readVtcHeader(folder.file("missing.vtc")));
}

TEST(VtcHeader, EmptyExtentsHoldNoDataAndSixteenBitDataTakesTwoBytes) {
    VtcFileHeader header = smallVtcHeader(4);
    header.bounds = {10, 10, 0, 3, 0, 3};
    EXPECT_EQ(vtcDataBytes(header), 0u);
    header.bounds = {0, 6, 0, 6, 0, 3};
    header.resolution = 3;
    header.dataType = 1;
    EXPECT_EQ(vtcDataBytes(header), 2u * 2 * 1 * 4 * 2);
}

}  // namespace
}  // namespace morvane
