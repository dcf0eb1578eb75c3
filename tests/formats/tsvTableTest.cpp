#include "formats/tsvTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

// Every cell of the table, row by row.
std::vector<std::vector<std::string>> cellsOf(const TsvTable& table) {
    std::vector<std::vector<std::string>> rows(table.rowCount());
    for (std::size_t r = 0; r < table.rowCount(); ++r)
        for (std::size_t c = 0; c < table.columnCount(); ++c) rows[r].emplace_back(table.cell(r, c));
    return rows;
}

using Rows = std::vector<std::vector<std::string>>;

TEST(TsvTable, WritersLineEndsMarksAndTrailingTabsReadAlike) {
    const Rows expected = {{"1.5", "0", "face"}, {"3", "n/a", "Gesicht \xC3\xBC"}};
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"LF", "onset\tduration\ttrial_type\n1.5\t0\tface\n3\tn/a\tGesicht \xC3\xBC\n"},
        {"no line end at the end", "onset\tduration\ttrial_type\n1.5\t0\tface\n3\tn/a\tGesicht \xC3\xBC"},
        {"CRLF and a blank last line",
         "onset\tduration\ttrial_type\r\n1.5\t0\tface\r\n3\tn/a\tGesicht \xC3\xBC\r\n\r\n"},
        {"CR alone", "onset\tduration\ttrial_type\r1.5\t0\tface\r3\tn/a\tGesicht \xC3\xBC\r"},
        {"byte-order mark", "\xEF\xBB\xBFonset\tduration\ttrial_type\n1.5\t0\tface\n3\tn/a\tGesicht \xC3\xBC\n"},
        {"trailing tabs on every line",
         "onset\tduration\ttrial_type\t\n1.5\t0\tface\t\n3\tn/a\tGesicht \xC3\xBC\t\n"},
        {"trailing tab on the rows only", "onset\tduration\ttrial_type\n1.5\t0\tface\t\n3\tn/a\tGesicht \xC3\xBC\n"},
        {"blank lines between and blanks around names",
         "\n onset \tduration\ttrial_type\n\n1.5\t0\tface\n   \n3\tn/a\tGesicht \xC3\xBC\n\n\n"},
    };
    for (const Case& c : cases) {
        const auto parsed = parseTsvTable(c.text);
        ASSERT_TRUE(parsed) << c.what << ": " << parsed.error;
        EXPECT_EQ(parsed.value->columns(), (std::vector<std::string>{"onset", "duration", "trial_type"})) << c.what;
        EXPECT_EQ(cellsOf(*parsed.value), expected) << c.what;
    }
}

TEST(TsvTable, RowsKnowTheirLinesAndColumnsTheirNames) {
    const auto parsed = parseTsvTable("\n\na\tb\n1\t2\n\n3\t4\n", "x.tsv");
    ASSERT_TRUE(parsed) << parsed.error;
    const TsvTable& table = *parsed.value;
    EXPECT_EQ(table.headerLine(), 3u);
    ASSERT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.lineOf(0), 4u);
    EXPECT_EQ(table.lineOf(1), 6u);
    EXPECT_EQ(table.column("b"), 1u);
    EXPECT_EQ(table.column("B"), std::nullopt);
    EXPECT_EQ(*requiredColumn(table, "a").value, 0u);
    const auto missing = requiredColumn(table, "onset");
    EXPECT_EQ(missing.error, "x.tsv, line 3: no column \"onset\" in the header line (its columns: a, b)");
    EXPECT_EQ(cellPlace(table, 1, 1), "x.tsv, line 6, column \"b\"");
}

TEST(TsvTable, EmptyCellsQuotesAndCarriageReturnsInsideStayAsWritten) {
    const auto parsed = parseTsvTable("a\tb\tc\n\t\"x y\"\t\n\t\t\n");
    ASSERT_TRUE(parsed) << parsed.error;
    EXPECT_EQ(cellsOf(*parsed.value), (Rows{{"", "\"x y\"", ""}, {"", "", ""}}));
    // A header alone is a table without rows.
    const auto headerOnly = parseTsvTable("onset\tduration\r\n");
    ASSERT_TRUE(headerOnly) << headerOnly.error;
    EXPECT_EQ(headerOnly.value->rowCount(), 0u);
}

TEST(TsvTable, BrokenTablesAreRefusedWithLineAndColumn) {
    struct Case {
        const char* what;
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"empty", "", "t.tsv, line 1: the table is empty; expected a header line of column names"},
        {"blank lines only", "\n \r\n", "t.tsv, line 1: the table is empty"},
        {"a row short of a cell", "onset\tduration\ttrial_type\n1\t2\tx\n3\t4\n",
         "t.tsv, line 3: 2 cell(s) where the header has 3 columns; the row ends before column 3 \"trial_type\""},
        {"a row with a cell too many", "onset\tduration\n1\t2\n3\t4\tstray\n",
         "t.tsv, line 3: 3 cells where the header has 2 columns; \"stray\" stands after the last column \"duration\""},
        {"a row with two trailing tabs", "onset\tduration\n1\t2\t\t\n",
         "t.tsv, line 2: 4 cells where the header has 2 columns"},
        {"blanks for tabs", "onset duration\n1 2\n3\t4\n", "t.tsv, line 3: 2 cells where the header has 1 columns"},
        {"an unnamed column", "onset\t\tduration\n", "t.tsv, line 1: column 2 of the header line has no name"},
        {"a repeated column", "onset\tduration\tonset\n", "t.tsv, line 1: the header line names the column \"onset\" twice"},
        {"UTF-16", std::string("\xFF\xFEo\0n\0", 6), "t.tsv, line 1: the table is UTF-16 text; save it as UTF-8"},
        {"NUL byte", std::string("a\tb\n1\t2\n3\0\t4\n", 12), "t.tsv, line 3: a NUL byte; this is no text table"},
    };
    for (const Case& c : cases) {
        const auto parsed = parseTsvTable(c.text, "t.tsv");
        ASSERT_FALSE(parsed) << c.what;
        EXPECT_EQ(parsed.error.rfind(c.message, 0), 0u) << c.what << ": " << parsed.error;
    }
}

TEST(TsvTable, NumbersAsBidsFilesHoldThem) {
    struct Case {
        const char* text;
        double value;
    };
    const Case accepted[] = {
        {"12", 12.0},        {"-0.5", -0.5},        {"+.5", 0.5},          {"3.", 3.0},
        {"1.5e-07", 1.5e-07}, {"2E+3", 2000.0},     {" 4.25 ", 4.25},      {"-0", -0.0},
        {"0.1", 0.1},        {"1e-400", 0.0},       {"4.9e-324", 4.9e-324}, {"1.7976931348623157e308", 1.7976931348623157e308},
        {"000123.4500", 123.45},
    };
    for (const Case& c : accepted) {
        const auto number = numberInCell(c.text);
        ASSERT_TRUE(number) << c.text;
        EXPECT_FALSE(number->notAvailable) << c.text;
        EXPECT_EQ(number->value, c.value) << c.text;  // exactly: each text reads to the nearest double
    }
    for (const char* mark : {"n/a", "N/A", " n/a "}) {
        const auto number = numberInCell(mark);
        ASSERT_TRUE(number) << mark;
        EXPECT_TRUE(number->notAvailable) << mark;
    }
    for (const char* refused : {"", " ", "nan", "NaN", "inf", "-inf", "Infinity", "0x10", "1e", "1e+", ".", "-",
                                "+-1", "1.2.3", "1,5", "1 000", "12ms", "e5", "1e999", "-1e999", "na", "n/a/"}) {
        EXPECT_FALSE(numberInCell(refused)) << "\"" << refused << "\"";
    }
}

TEST(TsvTable, ANumberRefusedNamesFileLineAndColumn) {
    const auto parsed = parseTsvTable("onset\tduration\n1\t2\n3\tlong\n5\t\n", "run-1_events.tsv");
    ASSERT_TRUE(parsed) << parsed.error;
    const TsvTable& table = *parsed.value;
    EXPECT_EQ(cellNumber(table, 0, 1).value->value, 2.0);
    EXPECT_EQ(cellNumber(table, 1, 1).error,
              "run-1_events.tsv, line 3, column \"duration\": expected a number, found \"long\"");
    EXPECT_EQ(cellNumber(table, 2, 1).error,
              "run-1_events.tsv, line 4, column \"duration\": expected a number, found an empty cell");
}

TEST(TsvTable, EveryShortestDoubleTextReadsBackExactly) {
    // The texts other tools write for doubles: shortest, %.17g and %g forms, at every magnitude.
    std::vector<double> values = {0.1, 1.0 / 3.0, -2.5e-300, 6.02214076e23, 9007199254740993.0,
                                  std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max()};
    for (int exponent = -300; exponent <= 300; exponent += 7) values.push_back(1.2345678901234567 * std::pow(10.0, exponent));
    for (double value : values) {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", value);
        const auto number = numberInCell(text);
        ASSERT_TRUE(number) << text;
        EXPECT_EQ(number->value, value) << text;
    }
}

TEST(TsvTable, FilesAreReadAndNamedInMessages) {
    testing::ScratchFolder folder;
    const std::string path = folder.file("sub-01_task-x_events.tsv");
    testing::writeFile(path, "onset\tduration\n1\n");
    const auto parsed = readTsvFile(path);
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.error.rfind(path + ", line 2: 1 cell(s) where the header has 2 columns", 0), 0u) << parsed.error;
    const auto missing = readTsvFile(folder.file("none.tsv"));
    EXPECT_EQ(missing.error, folder.file("none.tsv") + ": the table cannot be read: cannot open the file: No such file or directory");
}

}  // namespace
}  // namespace morvane
