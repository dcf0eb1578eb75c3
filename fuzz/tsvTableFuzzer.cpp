// The reader of tab-separated tables (BIDS events, confound time series) and its reading of
// cells as numbers. Any bytes give a table or a message. An accepted table has unique,
// non-empty column names, as many cells in every row as names, no tab or line feed inside a
// cell, rows on rising lines after the header; written out again it reads back the same. A
// cell read as a number is finite, the number strtod reads from the same text, and its
// shortest text reads back to it.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "formats/tsvTable.h"
#include "fuzz/fuzzSupport.h"

using namespace morvane;

namespace {

bool holdsCarriageReturn(const TsvTable& table) {
    for (const std::string& name : table.columns())
        if (name.find('\r') != std::string::npos) return true;
    for (std::size_t r = 0; r < table.rowCount(); ++r)
        for (std::size_t c = 0; c < table.columnCount(); ++c)
            if (table.cell(r, c).find('\r') != std::string_view::npos) return true;
    return false;
}

// A row of one column whose cell is blank is a blank line when written out.
bool holdsBlankLine(const TsvTable& table) {
    if (table.columnCount() != 1) return false;
    for (std::size_t r = 0; r < table.rowCount(); ++r)
        if (table.cell(r, 0).find_first_not_of(' ') == std::string_view::npos) return true;
    return false;
}

std::string writtenOut(const TsvTable& table) {
    std::string text = "\xEF\xBB\xBF";  // a name may itself start with the mark the reader skips
    for (std::size_t c = 0; c < table.columnCount(); ++c) text += (c ? "\t" : "") + table.columns()[c];
    text += '\n';
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        for (std::size_t c = 0; c < table.columnCount(); ++c) {
            if (c) text += '\t';
            text += table.cell(r, c);
        }
        text += '\n';
    }
    return text;
}

void checkNumber(std::string_view cell) {
    const std::optional<CellNumber> number = numberInCell(cell);
    if (!number || number->notAvailable) return;
    fuzzCheck(std::isfinite(number->value), "numbers are finite");
    std::string terminated(cell);
    char* end = nullptr;
    const double byStrtod = std::strtod(terminated.c_str(), &end);
    fuzzCheck(byStrtod == number->value && std::signbit(byStrtod) == std::signbit(number->value),
              "the number strtod reads");
    char shortest[64];
    const auto written = std::to_chars(shortest, shortest + sizeof shortest, number->value);
    const std::optional<CellNumber> again = numberInCell(std::string_view(shortest, written.ptr - shortest));
    fuzzCheck(again && again->value == number->value, "the shortest text reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzzBytes(data, size);
    checkNumber(bytes.substr(0, 64));
    const ParseResult<TsvTable> parsed = parseTsvTable(bytes, "f.tsv");
    fuzzCheck(parsed.value.has_value() == parsed.error.empty(), "a table or a message");
    if (!parsed) {
        fuzzCheck(parsed.error.rfind("f.tsv, line ", 0) == 0, "messages name the file and the line");
        return 0;
    }
    const TsvTable& table = *parsed.value;
    fuzzCheck(table.columnCount() > 0, "a header names a column");
    for (std::size_t c = 0; c < table.columnCount(); ++c) {
        const std::string& name = table.columns()[c];
        fuzzCheck(!name.empty() && name.find_first_of("\t\n") == std::string::npos, "names are whole");
        fuzzCheck(table.column(name) == c, "each name finds its own column");
    }
    fuzzCheck(!requiredColumn(table, "\t").value, "a name no header holds is missing");
    std::size_t previousLine = table.headerLine();
    std::size_t checked = 0;
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        fuzzCheck(table.lineOf(r) > previousLine, "rows on rising lines");
        previousLine = table.lineOf(r);
        for (std::size_t c = 0; c < table.columnCount(); ++c) {
            const std::string_view cell = table.cell(r, c);
            fuzzCheck(cell.find_first_of("\t\n") == std::string_view::npos, "cells hold no tab or line feed");
            if (checked++ < 256) {
                checkNumber(cell);
                const ParseResult<CellNumber> number = cellNumber(table, r, c);
                fuzzCheck(number.value.has_value() == numberInCell(cell).has_value(), "one reading of numbers");
                if (!number) fuzzCheck(number.error.find(", column \"") != std::string::npos, "refusals name the column");
            }
        }
    }
    if (holdsCarriageReturn(table) || holdsBlankLine(table)) return 0;
    const ParseResult<TsvTable> again = parseTsvTable(writtenOut(table));
    fuzzCheck(again && again.value->columns() == table.columns() && again.value->rowCount() == table.rowCount(),
              "a table written out reads back with its columns and rows");
    for (std::size_t r = 0; r < table.rowCount(); ++r)
        for (std::size_t c = 0; c < table.columnCount(); ++c)
            fuzzCheck(again.value->cell(r, c) == table.cell(r, c), "and its cells");
    return 0;
}
