// Tab-separated tables as the BIDS world writes them (events, confound time series, any
// "*.tsv"): a header line of column names, then one row of cells per line.
//
// Read as they come from the usual writers: a UTF-8 byte-order mark before the header is
// skipped; lines end in LF, CRLF or CR; a line that ends in a tab after its last cell (one
// cell more than the header, that one empty) counts as without it, and so does the header;
// blank lines carry nothing and are skipped (a table's last line usually is one). Cells are
// taken as written, quotes included: these tables quote nothing. Refused: a file without a
// header, a header with an empty or repeated column name, a row with another number of
// cells than the header has columns, UTF-16 text, NUL bytes, more than 4 GiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/parseResult.h"

namespace morvane {

class TsvTable {
public:
    // Where the table came from, for messages: a path, or "" for bytes.
    const std::string& source() const { return source_; }
    const std::vector<std::string>& columns() const { return columns_; }
    std::size_t columnCount() const { return columns_.size(); }
    std::size_t rowCount() const { return lines_.size(); }
    // The 1-based line of the header (blank lines may stand before it).
    std::size_t headerLine() const { return headerLine_; }

    // The 1-based line of the file that holds the row (0-based).
    std::size_t lineOf(std::size_t row) const { return lines_[row]; }
    // The cell as written, without the tab or line end around it.
    std::string_view cell(std::size_t row, std::size_t column) const {
        const Span& span = cells_[row * columns_.size() + column];
        return std::string_view(text_).substr(span.start, span.length);
    }

    // The column of that name (exact, case-sensitive, as BIDS names are), if any.
    std::optional<std::size_t> column(std::string_view name) const;

private:
    friend ParseResult<TsvTable> parseTsvTable(std::string_view text, std::string source);
    friend ParseResult<TsvTable> readTsvFile(const std::string& path);
    // Parses the bytes it is given, which it keeps.
    static ParseResult<TsvTable> parseOwned(std::string text, std::string source);
    // Offsets in 32 bits: half the memory of a large table's cells (tables up to 4 GiB).
    struct Span {
        std::uint32_t start, length;
    };
    std::string source_;
    std::string text_;  // the file's bytes; cells are spans of it
    std::vector<std::string> columns_;
    std::vector<Span> cells_;       // row by row
    std::vector<std::size_t> lines_;  // per row
    std::size_t headerLine_ = 1;
};

// Parses the bytes of a table. Messages start with "<source>, line N: " (without the source
// when it is ""), and say which column a ragged row lacks or what stands beyond the last.
ParseResult<TsvTable> parseTsvTable(std::string_view text, std::string source = "");
// Reads and parses a table file; messages name the file.
ParseResult<TsvTable> readTsvFile(const std::string& path);

// The column of that name, or a message naming the source, the header line and the columns
// it does have.
ParseResult<std::size_t> requiredColumn(const TsvTable& table, std::string_view name);

// A cell read as a number: a finite value, or "n/a" (BIDS's mark of a missing value), which
// the caller decides about.
struct CellNumber {
    double value = 0.0;  // 0 for n/a
    bool notAvailable = false;
};

// Reads the cell as a number: decimal or scientific notation with an optional leading '+'
// or '-' ("12", "-0.5", "+.5", "3.", "1.5e-07", "2E+3"), blanks around it allowed; a value
// too small for a double reads as 0. Refused, with a message naming the source, the line
// and the column: an empty cell, words ("nan", "inf", "abc"), hexadecimal, numbers with
// units or thousands separators, and magnitudes beyond the range of a double.
ParseResult<CellNumber> cellNumber(const TsvTable& table, std::size_t row, std::size_t column);

// The number in a text, by the same rules, without a table (nullopt when refused).
std::optional<CellNumber> numberInCell(std::string_view cell);

// "<source>, line N, column "name": " for a message about a cell of the table.
std::string cellPlace(const TsvTable& table, std::size_t row, std::size_t column);

}  // namespace morvane
