// Columns of a confounds table: names and prefixes, n/a, and every refusal with its place.
#include "confoundmodels/extraColumns.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

const char* const confoundsTable =
    "csf\twhite_matter\tcsf_derivative1\ta_comp_cor_00\ta_comp_cor_01\tt_comp_cor_00\ttrans_x\n"
    "0.5\t1.5\tn/a\t0.01\t-0.02\t3\t0\n"
    "0.7\t1.25\t0.2\t0.03\t-0.01\t2\t0.1\n"
    "0.6\t1.0\t-0.1\t-0.05\t0.04\t1\t0.2\n";

TsvTable tableOf(const std::string& text) {
    ParseResult<TsvTable> table = parseTsvTable(text, "confounds.tsv");
    EXPECT_TRUE(table) << table.error;
    return table ? std::move(*table.value) : TsvTable{};
}

TEST(ExtraColumns, NamesAndPrefixesInOrder) {
    const TsvTable table = tableOf(confoundsTable);
    struct Case {
        std::vector<std::string> names;
        std::vector<std::string> columns;
    };
    const Case cases[] = {
        {{"csf"}, {"csf"}},
        {{"white_matter", "csf"}, {"white_matter", "csf"}},
        {{"a_comp_cor_*"}, {"a_comp_cor_00", "a_comp_cor_01"}},
        {{"csf*"}, {"csf", "csf_derivative1"}},
        {{"*"}, {"csf", "white_matter", "csf_derivative1", "a_comp_cor_00", "a_comp_cor_01", "t_comp_cor_00", "trans_x"}},
        {{"a_comp_cor_01", "a_comp_cor_*", "csf"}, {"a_comp_cor_01", "a_comp_cor_00", "csf"}},  // each once
    };
    for (const Case& c : cases) {
        std::vector<std::string> warnings;
        const auto columns = extraColumnsOf(table, c.names, 3, warnings);
        ASSERT_TRUE(columns) << columns.error;
        std::vector<std::string> names;
        for (const ModelColumn& column : *columns.value) names.push_back(column.name);
        EXPECT_EQ(names, c.columns) << c.names[0];
        EXPECT_TRUE(warnings.empty());
    }
}

TEST(ExtraColumns, ValuesWithNotAvailableInTheFirstRowAsZero) {
    std::vector<std::string> warnings;
    const auto columns = extraColumnsOf(tableOf(confoundsTable), {"csf_derivative1", "white_matter"}, 3, warnings);
    ASSERT_TRUE(columns) << columns.error;
    EXPECT_EQ((*columns.value)[0].values, (std::vector<double>{0.0, 0.2, -0.1}));
    EXPECT_EQ((*columns.value)[1].values, (std::vector<double>{1.5, 1.25, 1.0}));
}

TEST(ExtraColumns, MoreRowsThanTheMatrixAreCutWithAWarning) {
    std::vector<std::string> warnings;
    const auto columns = extraColumnsOf(tableOf(confoundsTable), {"csf"}, 2, warnings);
    ASSERT_TRUE(columns) << columns.error;
    EXPECT_EQ((*columns.value)[0].values, (std::vector<double>{0.5, 0.7}));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "confounds.tsv holds 3 rows, more than the 2 data points of the design matrix; the first 2 "
                           "are used");
}

TEST(ExtraColumns, RefusalsSayWhereAndWhy) {
    struct Case {
        const char* what;
        std::string table;
        std::vector<std::string> names;
        int rows;
        const char* message;
    };
    const std::string base = confoundsTable;
    const Case cases[] = {
        {"missing column", base, {"global_signal"}, 3,
         "confounds.tsv, line 1: no column \"global_signal\" in the header line (its columns: csf, white_matter"},
        {"prefix without a column", base, {"c_comp_cor_*"}, 3,
         "confounds.tsv: no column of the header line starts with \"c_comp_cor_\""},
        {"fewer rows", base, {"csf"}, 4, "confounds.tsv holds 3 rows, fewer than the 4 data points of the design matrix"},
        {"word", "csf\n0.5\nhigh\n", {"csf"}, 2, "confounds.tsv, line 3, column \"csf\": expected a number, found \"high\""},
        {"n/a after the first row", "csf\n0.5\nn/a\n", {"csf"}, 2,
         "confounds.tsv, line 3, column \"csf\": n/a is taken only in the first row"},
        {"empty cell", "a\tcsf\n1\t\n", {"csf"}, 1, "confounds.tsv, line 2, column \"csf\": expected a number, found an empty cell"},
        {"nan", "csf\nnan\n", {"csf"}, 1, "line 2, column \"csf\": expected a number, found \"nan\""},
        {"quote in the name", "csf \"x\"\n1\n", {"csf*"}, 1, "holds a double quote, which a design matrix cannot store"},
        {"empty name", base, {""}, 3, "--columns holds an empty name"},
    };
    for (const Case& c : cases) {
        ParseResult<TsvTable> table = parseTsvTable(c.table, "confounds.tsv");
        ASSERT_TRUE(table) << c.what << ": " << table.error;
        std::vector<std::string> warnings;
        const auto columns = extraColumnsOf(*table.value, c.names, c.rows, warnings);
        EXPECT_FALSE(columns) << c.what;
        EXPECT_NE(columns.error.find(c.message), std::string::npos) << c.what << ": " << columns.error;
    }
    // Values of a column that is not chosen are not looked at.
    std::vector<std::string> warnings;
    EXPECT_TRUE(extraColumnsOf(*parseTsvTable("csf\tnote\n1\tbad\n", "t.tsv").value, {"csf"}, 1, warnings));
}

}  // namespace
}  // namespace morvane
