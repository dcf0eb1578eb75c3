#include "common/text.h"

#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

struct FileNameCase {
    const char* path;
    bool stopAtExtension;
    std::optional<std::string> expected;
};

class FileNameFromPathTest : public testing::TestWithParam<FileNameCase> {};

TEST_P(FileNameFromPathTest, TakesTheLastComponent) {
    const FileNameCase& c = GetParam();
    EXPECT_EQ(fileNameFromPath(c.path, c.stopAtExtension), c.expected) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileNameFromPathTest,
    testing::Values(
        FileNameCase{"D:\\data\\run1.prt", false, "run1.prt"},
        FileNameCase{"D:\\data\\run1.prt", true, "run1"},
        FileNameCase{"D:/data/run1.old.prt", true, "run1.old"},
        FileNameCase{"D:/data/run1.old.prt", false, "run1.old.prt"},
        FileNameCase{"run1.prt", false, "run1.prt"},
        FileNameCase{"run1.prt", true, "run1"},
        // Once a '/' is present, only '/' separates.
        FileNameCase{"D:\\a/b\\c.prt", false, "b\\c.prt"},
        FileNameCase{"D:\\data\\", false, ""},
        FileNameCase{"D:/data/", true, ""},
        // A dot in a folder is no extension of the name.
        FileNameCase{"D:\\my.data\\run1", true, "run1"},
        FileNameCase{"D:\\data\\.hidden", true, ".hidden"},
        FileNameCase{"\\run1.prt", false, "run1.prt"},
        FileNameCase{"", false, std::nullopt},
        FileNameCase{nullptr, true, std::nullopt}));

TEST(StripExtension, CutsAtTheLastDotAnywhere) {
    EXPECT_EQ(stripExtension("run1.prt"), "run1");
    EXPECT_EQ(stripExtension("D:\\data\\faces.block2.prt"), "D:\\data\\faces.block2");
    EXPECT_EQ(stripExtension("D:\\my.data\\run1"), "D:\\my");
    EXPECT_EQ(stripExtension("abc"), "");
    EXPECT_EQ(stripExtension(""), "''");
    EXPECT_EQ(stripExtension(nullptr), "''");
}

TEST(AppendToFileStem, InsertsBeforeTheThreeCharacterExtension) {
    EXPECT_EQ(appendToFileStem("D:\\data\\run1.vtc", "faces", '_'), "D:\\data\\run1_faces.vtc");
    EXPECT_EQ(appendToFileStem("D:\\data\\run1.vtc", "faces.block2", '_'),
              "D:\\data\\run1_faces.block2.vtc");
    EXPECT_EQ(appendToFileStem("D:\\data\\run1.vtc", "", '_'), "D:\\data\\run1_.vtc");
    // The tail is the last three characters, whatever the extension.
    EXPECT_EQ(appendToFileStem("a.b", "x", '-'), "a-x.a.b");
}

TEST(InsertBeforeExtension, PutsTheSuffixBeforeTheLastFourCharacters) {
    EXPECT_EQ(insertBeforeExtension("run1.sdm", "_HR"), "run1_HR.sdm");
    EXPECT_EQ(insertBeforeExtension(".sdm", "_3DMC"), "_3DMC.sdm");
    EXPECT_EQ(insertBeforeExtension("sdm", "_HR"), std::nullopt);
    EXPECT_EQ(insertBeforeExtension("", "_HR"), std::nullopt);
}

TEST(ContainsText, IsCaseSensitive) {
    EXPECT_TRUE(containsText("D:\\study\\run1_3DMC.sdm", "_3DMC"));
    EXPECT_FALSE(containsText("D:\\study\\RUN1.PRT", ".prt"));
    EXPECT_FALSE(containsText("", ".prt"));
}

TEST(FormatText, BuildsLinesOfAnyLength) {
    const std::string longPath(5000, 'x');
    const std::string line = formatText("\nLoad %s to VMR...", longPath.c_str());
    EXPECT_EQ(line, "\nLoad " + longPath + " to VMR...");
    EXPECT_EQ(formatText("Predictor value: %f", -101.0), "Predictor value: -101.000000");
    EXPECT_EQ(formatText("%s", ""), "");
}

#if !defined(_WIN32)
// Folders, pipes and devices are told from files; a missing path is left to the open.
TEST(NamesNonRegularFile, TellsFilesFromFoldersPipesAndDevices) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("quorvel-kinds-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream((folder / "file.sdm").string()) << "x";
    ASSERT_EQ(::mkfifo((folder / "pipe.sdm").c_str(), 0600), 0);
    std::filesystem::create_symlink("file.sdm", folder / "link.sdm");
    const struct {
        std::string path;
        bool nonRegular;
    } cases[] = {
        {(folder / "file.sdm").string(), false}, {(folder / "link.sdm").string(), false},
        {(folder / "missing.sdm").string(), false}, {"", false},
        {folder.string(), true}, {(folder / "pipe.sdm").string(), true}, {"/dev/null", true},
    };
    for (const auto& c : cases) EXPECT_EQ(namesNonRegularFile(c.path.c_str()), c.nonRegular) << c.path;
    EXPECT_FALSE(namesNonRegularFile(nullptr));
    std::filesystem::remove_all(folder);
}
#endif

}  // namespace
