#include "formats/fileList.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(FileList, GroupsTakeTheirTimeCourseAndTheLastConfoundOfEachKind) {
    const ListedRun run = parseFileList(
        "3\n a.prt a.vtc a_3DMC.sdm a_HR.rtc other.txt b_3DMC.rtc\n b.prt b.vtc\n c.prt c_RVT.sdm d.vtc x_RVT.rtc");
    EXPECT_EQ(run.declaredCount, 3);
    ASSERT_EQ(run.groups.size(), 3u);
    EXPECT_EQ(run.groups[0].timeCourse, "a.vtc");
    EXPECT_EQ(run.groups[0].motion, "b_3DMC.rtc");
    EXPECT_EQ(run.groups[0].heartRate, "a_HR.rtc");
    EXPECT_FALSE(run.groups[0].respiration);
    EXPECT_FALSE(run.groups[1].hasConfounds());
    EXPECT_FALSE(run.groups[2].timeCourse);  // the entry after the protocol is no VTC
    EXPECT_EQ(run.groups[2].respiration, "x_RVT.rtc");  // followers start two after the protocol
}

TEST(FileList, ReadsLikeFormattedInput) {
    struct Case {
        const char* text;
        int count;
        std::vector<std::string> entries;
        std::size_t groups;
    };
    const Case cases[] = {
        {"2 a.prt a.vtc . b.prt b.vtc", 2, {"a.prt", "a.vtc"}, 1},
        {"a.prt a.vtc", 0, {"a.prt", "a.vtc"}, 1},
        {"", 0, {}, 0},
        {"1 A.PRT a.vtc", 1, {"A.PRT", "a.vtc"}, 0},
        {"1 a.prt b.prt b.vtc", 1, {"a.prt", "b.prt", "b.vtc"}, 2},
        {"+4\ta.prt\r\n", 4, {"a.prt"}, 1},
    };
    for (const Case& c : cases) {
        const ListedRun run = parseFileList(c.text);
        EXPECT_EQ(run.declaredCount, c.count) << c.text;
        EXPECT_EQ(run.entries, c.entries) << c.text;
        EXPECT_EQ(run.groups.size(), c.groups) << c.text;
    }
    // A protocol directly followed by the next has no followers of its own.
    const ListedRun adjacent = parseFileList("2 a.prt b.prt b.vtc b_HR.sdm");
    EXPECT_FALSE(adjacent.groups[0].hasConfounds());
    EXPECT_TRUE(adjacent.groups[1].heartRate);
}

TEST(FileList, KindsFollowTheMarkersInOrder) {
    EXPECT_EQ(entryKind("D:\\my.prt.files\\run1.vtc"), EntryKind::Protocol);
    EXPECT_EQ(entryKind("run1_3DMC.vtc"), EntryKind::TimeCourse);
    EXPECT_EQ(entryKind("run1_3DMC_HR.sdm"), EntryKind::Motion);
    EXPECT_EQ(entryKind("run1_HRF.sdm"), EntryKind::HeartRate);
    EXPECT_EQ(entryKind("run1_RVT.rtc"), EntryKind::Respiration);
    EXPECT_EQ(entryKind("RUN1.PRT"), EntryKind::Other);
}

}  // namespace
}  // namespace morvane
