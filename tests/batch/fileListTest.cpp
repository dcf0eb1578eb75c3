#include "batch/fileList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "tests/fakehost/fakeHost.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using Names = std::vector<std::string>;

std::string log(const std::string& text) { return "log: " + text; }

// ---- Reading the text ------------------------------------------------------------------------

struct ParseCase {
    const char* what;
    std::string bytes;
    std::int32_t declaredCount;
    Names names;
    std::string closingText;
};

class ParseFileList : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseFileList, ReadsCountAndEntriesAsFormattedInputWould) {
    const ParseCase& c = GetParam();
    const FileListText text = parseFileList(c.bytes);
    EXPECT_EQ(text.declaredCount, c.declaredCount);
    EXPECT_EQ(text.names, c.names);
    EXPECT_EQ(text.closingText, c.closingText);
    EXPECT_FALSE(text.overlongEntry.has_value());
}

const Names pairOne = {"D:\\study\\run1.prt", "D:\\study\\run1.vtc", "D:\\study\\run1_3DMC.sdm"};

INSTANTIATE_TEST_SUITE_P(
    Lists, ParseFileList,
    testing::Values(
        ParseCase{"one token a line", "1\nD:\\study\\run1.prt\nD:\\study\\run1.vtc\nD:\\study\\run1_3DMC.sdm\n",
                  1, pairOne, "^"},
        ParseCase{"all on one line", "1 D:\\study\\run1.prt\tD:\\study\\run1.vtc  D:\\study\\run1_3DMC.sdm",
                  1, pairOne, "^"},
        ParseCase{"CRLF line ends", "1\r\nD:\\study\\run1.prt\r\nD:\\study\\run1.vtc\r\nD:\\study\\run1_3DMC.sdm\r\n",
                  1, pairOne, "^"},
        ParseCase{"any white space", "\v\f 1\r\r\n\n\tD:\\study\\run1.prt \r D:\\study\\run1.vtc\n\n\nD:\\study\\run1_3DMC.sdm\t",
                  1, pairOne, "^"},
        ParseCase{"end mark", "2 a.prt a.vtc . b.prt b.vtc", 2, {"a.prt", "a.vtc"}, "."},
        ParseCase{"end mark as first entry", "3 x b.prt", 3, {}, "x"},
        ParseCase{"empty file", "", 0, {}, "^"},
        ParseCase{"white space only", " \n\t\r\n", 0, {}, "^"},
        ParseCase{"count only", "4\n", 4, {}, "^"},
        ParseCase{"no count", "a.prt a.vtc", 0, {"a.prt", "a.vtc"}, "^"},
        ParseCase{"digits then text", "12abc.prt x.vtc", 12, {"abc.prt", "x.vtc"}, "^"},
        ParseCase{"negative count", "-3 a.prt", -3, {"a.prt"}, "^"},
        ParseCase{"plus sign", "+4 a.prt", 4, {"a.prt"}, "^"},
        // A sign without digits is taken by the count and gives no number.
        ParseCase{"sign without digits", "-a.prt b.vtc", 0, {"a.prt", "b.vtc"}, "^"},
        ParseCase{"lone sign", "- a.prt", 0, {"a.prt"}, "^"},
        ParseCase{"count too large", "99999999999 a.prt", std::numeric_limits<std::int32_t>::max(),
                  {"a.prt"}, "^"},
        ParseCase{"count too small", "-99999999999 a.prt", std::numeric_limits<std::int32_t>::min(),
                  {"a.prt"}, "^"},
        ParseCase{"smallest count", "-2147483648", std::numeric_limits<std::int32_t>::min(), {}, "^"},
        ParseCase{"entries kept as written", "1 ./Rel/Run1.PRT D:\\x\\\"q\".vtc", 1,
                  {"./Rel/Run1.PRT", "D:\\x\\\"q\".vtc"}, "^"},
        ParseCase{"NUL ends the entry's text", std::string("1 ab\0cd.prt ef.vtc", 18), 1,
                  {"ab", "ef.vtc"}, "^"},
        ParseCase{"two-character entries are entries", "1 ab cd", 1, {"ab", "cd"}, "^"},
        ParseCase{"longest entry", "1 " + std::string(511, 'e'), 1, {std::string(511, 'e')}, "^"}),
    [](const testing::TestParamInfo<ParseCase>& info) {
        std::string name;
        for (char c : std::string(info.param.what)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(ParseFileListOverlong, StopsAtAnEntryLongerThan511Characters) {
    const std::string overlong(512, 'e');
    const FileListText text = parseFileList("1 a.prt " + overlong + " b.vtc");
    EXPECT_EQ(text.names, Names{"a.prt"});
    ASSERT_TRUE(text.overlongEntry.has_value());
    EXPECT_EQ(*text.overlongEntry, overlong);
}

// ---- Reading with its log lines -------------------------------------------------------------

TEST(ReadFileListFrom, LogsTheCountEveryTokenAndTheListPath) {
    FakeHost host;
    auto installed = host.install();
    std::istringstream input(
        "2\nD:\\study\\run1.prt\nD:\\study\\run1.vtc\nD:\\study\\run1_3DMC.sdm\nD:\\study\\run1_HR.rtc\n"
        "D:\\study\\run2.prt\nD:\\study\\run2.vtc\nD:\\study\\run2_RVT.sdm\n");

    const std::optional<FileList> list = readFileListFrom(input, "D:\\study\\list.txt");

    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->declaredCount, 2);
    const Names names = {"D:\\study\\run1.prt", "D:\\study\\run1.vtc", "D:\\study\\run1_3DMC.sdm",
                         "D:\\study\\run1_HR.rtc", "D:\\study\\run2.prt", "D:\\study\\run2.vtc",
                         "D:\\study\\run2_RVT.sdm"};
    EXPECT_EQ(list->names, names);
    EXPECT_TRUE(list->kinds.empty());
    EXPECT_THAT(host.transcript,
                ElementsAre(log("Number of PRT-VTC pairs: 2"), log("Reading filenames..."),
                            log(names[0]), log(names[1]), log(names[2]), log(names[3]),
                            log(names[4]), log(names[5]), log(names[6]), log("^"),
                            log("Generating SDM(s) from: D:\\study\\list.txt")));
}

TEST(ReadFileListFrom, EmptyListLogsTheCaretOnce) {
    FakeHost host;
    auto installed = host.install();
    std::istringstream input("");
    const std::optional<FileList> list = readFileListFrom(input, "empty.txt");
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->declaredCount, 0);
    EXPECT_TRUE(list->names.empty());
    EXPECT_THAT(host.transcript, ElementsAre(log("Number of PRT-VTC pairs: 0"), log("Reading filenames..."),
                                             log("^"), log("Generating SDM(s) from: empty.txt")));
}

TEST(ReadFileListFrom, EndMarkIsLoggedAndEndsTheList) {
    FakeHost host;
    auto installed = host.install();
    std::istringstream input("2 a.prt a.vtc . b.prt b.vtc");
    const std::optional<FileList> list = readFileListFrom(input, "l.txt");
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->names, (Names{"a.prt", "a.vtc"}));
    EXPECT_THAT(host.transcript,
                ElementsAre(log("Number of PRT-VTC pairs: 2"), log("Reading filenames..."), log("a.prt"),
                            log("a.vtc"), log("."), log("Generating SDM(s) from: l.txt")));
}

TEST(ReadFileListFrom, RejectsAListWithAnEntryTooLongForAPathBuffer) {
    FakeHost host;
    auto installed = host.install();
    const std::string overlong = "D:\\" + std::string(600, 'x') + ".vtc";
    std::istringstream input("1 D:\\a.prt " + overlong + " D:\\a_3DMC.sdm");

    EXPECT_FALSE(readFileListFrom(input, "l.txt").has_value());

    EXPECT_THAT(host.transcript,
                ElementsAre(log("Number of PRT-VTC pairs: 1"), log("Reading filenames..."),
                            log("D:\\a.prt"),
                            log("File name longer than 511 characters in the file list, the list is "
                                "not processed: " + overlong)));
}

TEST(ReadFileList, ListThatCannotBeOpenedIsNamed) {
    FakeHost host;
    auto installed = host.install();
    const std::string path = testing::TempDir() + "no such folder/list.txt";
    EXPECT_FALSE(readFileList(path).has_value());
    EXPECT_THAT(host.transcript, ElementsAre(log("Unable to open the file list: " + path)));
}

// ---- Classification ---------------------------------------------------------------------------

struct KindCase {
    const char* entry;
    FileKind kind;
};

class ClassifyFileName : public testing::TestWithParam<KindCase> {};

TEST_P(ClassifyFileName, FirstMarkerFoundDecides) {
    EXPECT_EQ(classifyFileName(GetParam().entry), GetParam().kind) << GetParam().entry;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ClassifyFileName,
    testing::Values(KindCase{"D:\\study\\run1.prt", FileKind::Prt},
                    KindCase{"D:\\study\\run1.vtc", FileKind::Vtc},
                    KindCase{"D:\\study\\run1_3DMC.sdm", FileKind::Motion},
                    KindCase{"D:\\study\\run1_HR.rtc", FileKind::HeartRate},
                    KindCase{"D:\\study\\run1_RVT.sdm", FileKind::Respiration},
                    KindCase{"D:\\study\\run1.sdm", FileKind::Other},
                    KindCase{"D:\\study\\RUN1.PRT", FileKind::Other},
                    KindCase{"D:\\study\\run1_3dmc.sdm", FileKind::Other},
                    KindCase{"D:\\my.prt.files\\run1.vtc", FileKind::Prt},
                    KindCase{"D:\\study\\run1_3DMC_HR.sdm", FileKind::Motion},
                    KindCase{"D:\\study\\run1_3DMC.vtc", FileKind::Vtc},
                    KindCase{"D:\\study\\run1_HRF.sdm", FileKind::HeartRate},
                    KindCase{"D:\\study\\run1_RVT_HR.sdm", FileKind::HeartRate},
                    KindCase{"D:\\_RVT\\run1.rtc", FileKind::Respiration},
                    KindCase{".prt", FileKind::Prt}, KindCase{"", FileKind::Other}));

TEST(FileKindCodes, AreTheListedIntegers) {
    EXPECT_EQ(static_cast<int>(FileKind::Other), 0);
    EXPECT_EQ(static_cast<int>(FileKind::Prt), 1);
    EXPECT_EQ(static_cast<int>(FileKind::Vtc), 2);
    EXPECT_EQ(static_cast<int>(FileKind::Motion), 3);
    EXPECT_EQ(static_cast<int>(FileKind::HeartRate), 4);
    EXPECT_EQ(static_cast<int>(FileKind::Respiration), 5);
}

struct PassCase {
    std::int32_t declaredCount;
    Names names;
    std::vector<std::int32_t> protocolPositions;
    bool warns;
};

class ClassifyFileList : public testing::TestWithParam<PassCase> {};

TEST_P(ClassifyFileList, FindsTheProtocolsAndWarnsOnAnotherCount) {
    const PassCase& c = GetParam();
    FakeHost host;
    auto installed = host.install();
    FileList list;
    list.declaredCount = c.declaredCount;
    list.names = c.names;

    classifyFileList(list);

    ASSERT_EQ(list.kinds.size(), c.names.size());
    for (std::size_t i = 0; i < c.names.size(); ++i) EXPECT_EQ(list.kinds[i], classifyFileName(c.names[i]));
    EXPECT_EQ(list.protocolPositions, c.protocolPositions);
    if (c.warns) {
        EXPECT_THAT(host.transcript, ElementsAre(log("Warning: not all files have been properly read or classified.")));
    } else {
        EXPECT_THAT(host.transcript, ElementsAre());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, ClassifyFileList,
    testing::Values(PassCase{2, {"a.prt", "a.vtc", "b.prt", "b.vtc"}, {0, 2}, false},
                    PassCase{1, {"a.prt", "b.prt", "b.vtc"}, {0, 1}, true},
                    PassCase{2, {"a.prt", "a.vtc"}, {0}, true},
                    PassCase{0, {}, {}, false},
                    PassCase{0, {"a.vtc", "x.sdm"}, {}, false},
                    PassCase{0, {"a.prt", "a.vtc"}, {0}, true},
                    // The count only has to match the protocols, with or without their VTCs.
                    PassCase{2, {"a.prt", "b.prt"}, {0, 1}, false},
                    PassCase{1, {"A.PRT", "a.vtc"}, {}, true},
                    PassCase{-1, {}, {}, true}));

struct GroupCase {
    Names names;
    std::size_t k;
    std::size_t protocol;
    std::optional<std::size_t> timeCourse;
    std::size_t followersBegin;
    std::size_t followersEnd;
};

class ProtocolGroupOf : public testing::TestWithParam<GroupCase> {};

TEST_P(ProtocolGroupOf, TakesTheNextEntryAndTheFollowersUpToTheNextProtocol) {
    const GroupCase& c = GetParam();
    FakeHost host;
    auto installed = host.install();
    FileList list;
    list.names = c.names;
    classifyFileList(list);

    const ProtocolGroup group = protocolGroup(list, c.k);

    EXPECT_EQ(group.protocol, c.protocol);
    EXPECT_EQ(group.timeCourse, c.timeCourse);
    EXPECT_EQ(group.followersBegin, c.followersBegin);
    EXPECT_EQ(group.followersEnd, c.followersEnd);
}

const Names twoPairs = {"r1.prt", "r1.vtc", "r1_3DMC.sdm", "r1_HR.rtc", "r2.prt", "r2.vtc", "r2_RVT.sdm"};

INSTANTIATE_TEST_SUITE_P(
    Groups, ProtocolGroupOf,
    testing::Values(GroupCase{twoPairs, 0, 0, 1, 2, 4}, GroupCase{twoPairs, 1, 4, 5, 6, 7},
                    // Entries before the first protocol belong to no group.
                    GroupCase{{"x_3DMC.sdm", "a.prt", "a.vtc"}, 0, 1, 2, 3, 3},
                    // The time course is the next entry and nowhere else.
                    GroupCase{{"a.prt", "a_3DMC.sdm", "a.vtc"}, 0, 0, std::nullopt, 2, 3},
                    GroupCase{{"a.prt", "b.prt", "b.vtc"}, 0, 0, std::nullopt, 1, 1},
                    GroupCase{{"a.prt", "b.prt", "b.vtc"}, 1, 1, 2, 3, 3},
                    // A protocol that is the last entry looks at nothing past the end.
                    GroupCase{{"a.prt", "a.vtc", "b.prt"}, 1, 2, std::nullopt, 3, 3},
                    GroupCase{{"a.prt"}, 0, 0, std::nullopt, 1, 1}));

}  // namespace
