// Which design matrix the report reads for each group of a list, by the plugin's naming rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "report/groupSources.h"
#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

using testing::ScratchFolder;
using testing::writeFile;
namespace fs = std::filesystem;

TEST(GroupSources, DesignMatrixNamesAsThePluginGivesThem) {
    struct Case {
        const char* timeCourse;
        const char* protocol;
        const char* expected;
    };
    const Case cases[] = {
        {"run1.vtc", "run1.prt", "run1_run1.sdm"},
        {"D:\\data\\run1.vtc", "D:\\data\\faces.prt", "D:\\data\\run1_faces.sdm"},
        {"D:\\data\\run1.vtc", "D:\\data\\faces.block2.prt", "D:\\data\\run1_faces.block2.sdm"},
        {"sub/ses-1/run1.vtc", "sub/ses-1/task.prt", "sub/ses-1/run1_task.sdm"},
        {"sub/run1.vtc", "other/place/task.prt", "sub/run1_task.sdm"},  // found beside the VTC
        {"/abs/run.v2.vtc", "faces", "/abs/run.v2_faces.sdm"},
        {"run1.vtc", ".prt", "run1_.prt.sdm"},  // a leading dot is no extension
    };
    for (const Case& c : cases) EXPECT_EQ(designMatrixName(c.timeCourse, c.protocol), c.expected) << c.timeCourse;
}

ListedGroup group(const char* protocol, std::optional<std::string> timeCourse, std::optional<std::string> motion = {},
                  std::optional<std::string> respiration = {}) {
    ListedGroup g;
    g.protocol = protocol;
    g.timeCourse = std::move(timeCourse);
    g.motion = std::move(motion);
    g.respiration = std::move(respiration);
    return g;
}

void touch(const std::string& path, fs::file_time_type when) {
    writeFile(path, "x");
    fs::last_write_time(path, when);
}

TEST(GroupSources, TheExtendedDesignMatrixWhenThereIsOneElseMissing) {
    ScratchFolder folder;
    const auto now = fs::file_time_type::clock::now();
    ListedRun list;
    list.groups = {
        group("a.prt", "a.vtc", "a_3DMC.sdm", "a_RVT.sdm"),  // both extended ones, the plain one newer
        group("b.prt", "b.vtc", "b_3DMC.sdm"),               // only the plain design matrix
        group("c.prt", "c.vtc"),                             // nothing
        group("d.prt", std::nullopt),                        // no VTC
        group("e.prt", "e.vtc"),                             // no confounds
    };
    touch(folder.file("a_a.sdm"), now);
    touch(folder.file("a_a_3DMC_RVT.sdm"), now - std::chrono::hours(2));
    touch(folder.file("a_a_3DMC_z_RVT_z.sdm"), now - std::chrono::hours(1));
    touch(folder.file("b_b.sdm"), now);
    touch(folder.file("e_e.sdm"), now);

    const auto sources = sourcesBesideList(list, folder.path(), std::nullopt);
    ASSERT_EQ(sources.size(), 5u);
    EXPECT_EQ(sources[0].status, RunStatus::Ok);
    EXPECT_EQ(sources[0].designMatrix, "a_a_3DMC_z_RVT_z.sdm");  // the more recently written
    EXPECT_EQ(sources[0].designMatrixFile, folder.file("a_a_3DMC_z_RVT_z.sdm"));
    EXPECT_EQ(sources[0].motionFile, folder.file("a_3DMC.sdm"));
    ASSERT_EQ(sources[0].notes.size(), 1u);
    EXPECT_NE(sources[0].notes[0].find("--z-transform"), std::string::npos);

    EXPECT_EQ(sources[1].status, RunStatus::Missing);
    EXPECT_EQ(sources[1].designMatrix, "b_b.sdm");
    EXPECT_NE(sources[1].reason.find("b_b_3DMC_z.sdm (or b_b_3DMC.sdm) is not there"), std::string::npos)
        << sources[1].reason;

    EXPECT_EQ(sources[2].status, RunStatus::Missing);
    EXPECT_EQ(sources[2].reason, "the design matrix c_c.sdm is not there");
    EXPECT_TRUE(sources[2].designMatrixFile.empty());

    EXPECT_EQ(sources[3].status, RunStatus::Missing);
    EXPECT_NE(sources[3].reason.find("no VTC"), std::string::npos);

    EXPECT_EQ(sources[4].status, RunStatus::Ok);
    EXPECT_EQ(sources[4].designMatrix, "e_e.sdm");

    // Newer the other way round, and the answer choosing against the times.
    fs::last_write_time(folder.file("a_a_3DMC_RVT.sdm"), now);
    EXPECT_EQ(sourcesBesideList(list, folder.path(), std::nullopt)[0].designMatrix, "a_a_3DMC_RVT.sdm");
    EXPECT_EQ(sourcesBesideList(list, folder.path(), true)[0].designMatrix, "a_a_3DMC_z_RVT_z.sdm");
    fs::remove(folder.file("a_a_3DMC_RVT.sdm"));
    const auto without = sourcesBesideList(list, folder.path(), false)[0];
    EXPECT_EQ(without.status, RunStatus::Missing);
    EXPECT_NE(without.reason.find("a_a_3DMC_RVT.sdm is not there"), std::string::npos) << without.reason;
    EXPECT_EQ(without.reason.find("(or"), std::string::npos) << without.reason;
}

TEST(GroupSources, AbsoluteEntriesAreNotMovedIntoTheListsFolder) {
    ScratchFolder folder, elsewhere;
    writeFile(elsewhere.file("r_r.sdm"), "x");
    ListedRun list;
    list.groups = {group("r.prt", elsewhere.file("r.vtc"))};
    const auto sources = sourcesBesideList(list, folder.path(), std::nullopt);
    EXPECT_EQ(sources[0].status, RunStatus::Ok);
    EXPECT_EQ(sources[0].designMatrixFile, elsewhere.file("r_r.sdm"));
}

}  // namespace
}  // namespace morvane
