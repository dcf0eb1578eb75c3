#include "confoundmodels/extraColumns.h"

#include <algorithm>

#include "formats/textFormat.h"

namespace morvane {
namespace {

using Result = ParseResult<std::vector<ModelColumn>>;

// Extra columns stand out from the motion terms in a picture of the matrix.
constexpr Rgb extraColumnColor{230, 160, 40};

std::string tableName(const TsvTable& table) { return table.source().empty() ? "the table" : table.source(); }

// The table's columns that the names choose, in order, each once.
ParseResult<std::vector<std::size_t>> chosenColumns(const TsvTable& table, const std::vector<std::string>& names) {
    using Chosen = ParseResult<std::vector<std::size_t>>;
    std::vector<std::size_t> chosen;
    const auto take = [&](std::size_t column) {
        if (std::find(chosen.begin(), chosen.end(), column) == chosen.end()) chosen.push_back(column);
    };
    for (const std::string& name : names) {
        if (name.empty()) return Chosen::failure("--columns holds an empty name");
        if (name.back() == '*') {
            const std::string_view prefix(name.data(), name.size() - 1);
            bool any = false;
            for (std::size_t c = 0; c < table.columnCount(); ++c) {
                if (std::string_view(table.columns()[c]).substr(0, prefix.size()) != prefix) continue;
                take(c);
                any = true;
            }
            if (!any)
                return Chosen::failure(formatText("%s: no column of the header line starts with \"%s\"",
                                                  tableName(table).c_str(), visibleText(prefix).c_str()));
            continue;
        }
        ParseResult<std::size_t> column = requiredColumn(table, name);
        if (!column) return Chosen::failure(column.error);
        take(*column.value);
    }
    return Chosen::success(std::move(chosen));
}

}  // namespace

Result extraColumnsOf(const TsvTable& table, const std::vector<std::string>& names, int rows,
                      std::vector<std::string>& warnings) {
    ParseResult<std::vector<std::size_t>> chosen = chosenColumns(table, names);
    if (!chosen) return Result::failure(chosen.error);
    const std::size_t wanted = static_cast<std::size_t>(std::max(rows, 0));
    if (table.rowCount() < wanted)
        return Result::failure(formatText("%s holds %zu rows, fewer than the %zu data points of the design matrix",
                                          tableName(table).c_str(), table.rowCount(), wanted));
    if (table.rowCount() > wanted)
        warnings.push_back(formatText("%s holds %zu rows, more than the %zu data points of the design matrix; the "
                                      "first %zu are used",
                                      tableName(table).c_str(), table.rowCount(), wanted, wanted));

    std::vector<ModelColumn> columns;
    for (const std::size_t c : *chosen.value) {
        const std::string& name = table.columns()[c];
        // A design matrix quotes its names and has no way to hold a quote inside one.
        if (name.find('"') != std::string::npos)
            return Result::failure(formatText("%s: the column name %s holds a double quote, which a design matrix "
                                              "cannot store",
                                              tableName(table).c_str(), visibleText(name).c_str()));
        ModelColumn column{name, extraColumnColor, std::vector<double>(wanted, 0.0)};
        for (std::size_t row = 0; row < wanted; ++row) {
            ParseResult<CellNumber> number = cellNumber(table, row, c);
            if (!number) return Result::failure(number.error);
            if (number.value->notAvailable && row > 0)
                return Result::failure(cellPlace(table, row, c) +
                                       ": n/a is taken only in the first row (where a derivative has no value)");
            column.values[row] = number.value->value;
        }
        columns.push_back(std::move(column));
    }
    return Result::success(std::move(columns));
}

}  // namespace morvane
