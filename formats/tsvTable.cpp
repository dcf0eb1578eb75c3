#include "formats/tsvTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "formats/textFormat.h"
#include "formats/wholeFile.h"

namespace morvane {
namespace {

std::string placeOf(const std::string& source, std::size_t line) {
    return source.empty() ? formatText("line %zu", line) : formatText("%s, line %zu", source.c_str(), line);
}

ParseResult<TsvTable> failAt(const std::string& source, std::size_t line, const std::string& why) {
    return ParseResult<TsvTable>::failure(placeOf(source, line) + ": " + why);
}

// A line with nothing in it but blanks and carriage returns.
bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \r") == std::string_view::npos;
}

std::string_view withoutBlanksAround(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Walks the lines of the text: LF or CRLF, or CR alone in a text without any LF.
class Lines {
public:
    explicit Lines(std::string_view text)
        : text_(text), end_(text.find('\n') == std::string_view::npos ? '\r' : '\n') {}

    // The next line without its line end, and its offset in the text; false at the end.
    bool next(std::string_view& line, std::size_t& offset) {
        if (position_ > text_.size() || (position_ == text_.size() && number_ > 0)) return false;
        const std::size_t start = position_;
        const void* found = std::memchr(text_.data() + start, end_, text_.size() - start);
        const std::size_t stop = found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data())
                                       : text_.size();
        position_ = found ? stop + 1 : text_.size() + 1;
        std::size_t length = stop - start;
        while (end_ == '\n' && length > 0 && text_[start + length - 1] == '\r') --length;
        line = text_.substr(start, length);
        offset = start;
        ++number_;
        return true;
    }
    std::size_t number() const { return number_; }

private:
    std::string_view text_;
    char end_;
    std::size_t position_ = 0;
    std::size_t number_ = 0;
};

// Splits a line at its tabs into spans relative to `offset`; a tab after the last cell is
// dropped when the line then has exactly one cell more than `expected`.
template <typename Add>
std::size_t splitCells(std::string_view line, std::size_t offset, std::size_t expected, Add add) {
    std::size_t count = 0;
    std::size_t start = 0;
    const bool trailingTab = !line.empty() && line.back() == '\t';
    for (;;) {
        const void* found = std::memchr(line.data() + start, '\t', line.size() - start);
        const std::size_t stop =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - line.data()) : line.size();
        if (!found && trailingTab && start == line.size() && count == expected) break;
        add(offset + start, stop - start);
        ++count;
        if (!found) break;
        start = stop + 1;
    }
    return count;
}

}  // namespace

std::optional<std::size_t> TsvTable::column(std::string_view name) const {
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (columns_[c] == name) return c;
    return std::nullopt;
}

ParseResult<TsvTable> parseTsvTable(std::string_view text, std::string source) {
    return TsvTable::parseOwned(std::string(text), std::move(source));
}

ParseResult<TsvTable> TsvTable::parseOwned(std::string text, std::string source) {
    if (text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF')))
        return failAt(source, 1, "the table is UTF-16 text; save it as UTF-8");
    if (const auto nul = text.find('\0'); nul != std::string::npos) {
        const auto line = static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), '\n')) + 1;
        return failAt(source, line, "a NUL byte; this is no text table");
    }
    if (text.size() >= std::numeric_limits<std::uint32_t>::max())
        return failAt(source, 1, "the table is larger than the 4 GiB a table may be");
    TsvTable table;
    table.source_ = std::move(source);
    table.text_ = std::move(text);
    // Spans count from the start of the text, the byte-order mark included.
    const std::size_t bom = std::string_view(table.text_).substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    const std::string_view body = std::string_view(table.text_).substr(bom);

    Lines lines(body);
    std::string_view line;
    std::size_t offset = 0;
    bool haveHeader = false;
    while (!haveHeader && lines.next(line, offset)) haveHeader = !isBlank(line);
    if (!haveHeader) return failAt(table.source_, 1, "the table is empty; expected a header line of column names");

    const std::size_t headerLine = lines.number();
    table.headerLine_ = headerLine;
    std::vector<std::string_view> names;
    splitCells(line, offset + bom, std::size_t(-1), [&](std::size_t start, std::size_t length) {
        names.push_back(withoutBlanksAround(std::string_view(table.text_).substr(start, length)));
    });
    if (names.size() > 1 && names.back().empty() && line.back() == '\t') names.pop_back();
    for (std::size_t c = 0; c < names.size(); ++c)
        if (names[c].empty())
            return failAt(table.source_, headerLine, formatText("column %zu of the header line has no name", c + 1));
    {
        std::vector<std::string_view> sorted(names);
        std::sort(sorted.begin(), sorted.end());
        const auto repeated = std::adjacent_find(sorted.begin(), sorted.end());
        if (repeated != sorted.end())
            return failAt(table.source_, headerLine,
                          "the header line names the column \"" + visibleText(*repeated) + "\" twice");
    }
    table.columns_.assign(names.begin(), names.end());
    const std::size_t columns = names.size();

    const std::size_t lineEstimate = static_cast<std::size_t>(std::count(body.begin(), body.end(), '\n')) + 1;
    table.lines_.reserve(lineEstimate);
    table.cells_.reserve(lineEstimate * columns);
    while (lines.next(line, offset)) {
        if (isBlank(line)) continue;
        const std::size_t first = table.cells_.size();
        const std::size_t count = splitCells(line, offset + bom, columns, [&](std::size_t start, std::size_t length) {
            table.cells_.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length)});
        });
        if (count < columns)
            return failAt(table.source_, lines.number(),
                          formatText("%zu cell(s) where the header has %zu columns; the row ends before column %zu "
                                     "\"%s\"",
                                     count, columns, count + 1, visibleText(table.columns_[count]).c_str()));
        if (count > columns) {
            const TsvTable::Span extra = table.cells_[first + columns];
            return failAt(table.source_, lines.number(),
                          formatText("%zu cells where the header has %zu columns; \"%s\" stands after the last "
                                     "column \"%s\"",
                                     count, columns,
                                     visibleText(std::string_view(table.text_).substr(extra.start, extra.length), 40).c_str(),
                                     visibleText(table.columns_.back()).c_str()));
        }
        table.lines_.push_back(lines.number());
    }
    return ParseResult<TsvTable>::success(std::move(table));
}

ParseResult<TsvTable> readTsvFile(const std::string& path) {
    ParseResult<std::string> content = readWholeFile(path);
    if (!content) return ParseResult<TsvTable>::failure(path + ": the table cannot be read: " + content.error);
    return TsvTable::parseOwned(std::move(*content.value), path);
}

ParseResult<std::size_t> requiredColumn(const TsvTable& table, std::string_view name) {
    if (const auto found = table.column(name)) return ParseResult<std::size_t>::success(*found);
    std::string present;
    for (const std::string& column : table.columns()) {
        if (present.size() > 200) {
            present += ", ...";
            break;
        }
        present += (present.empty() ? "" : ", ") + visibleText(column, 40);
    }
    return ParseResult<std::size_t>::failure(placeOf(table.source(), table.headerLine()) + ": no column \"" +
                                             visibleText(name) + "\" in the header line (its columns: " + present +
                                             ")");
}

std::optional<CellNumber> numberInCell(std::string_view cell) {
    std::string_view text = withoutBlanksAround(cell);
    if (text.size() == 3 && equalsIgnoringCase(text, "n/a")) return CellNumber{0.0, true};
    // from_chars reads decimal and scientific notation and stops before hexadecimal ("0x"),
    // but it also takes "inf" and "nan": a number starts with a digit or a point after its
    // sign. It takes no '+' of its own.
    std::size_t first = 0;
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    else if (!text.empty() && text.front() == '-')
        first = 1;
    if (first >= text.size() || !((text[first] >= '0' && text[first] <= '9') || text[first] == '.')) return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size()) return std::nullopt;
    if (error == std::errc()) return CellNumber{value, false};
    if (error != std::errc::result_out_of_range) return std::nullopt;
    // Beyond the range of from_chars: strtod tells a value too small (0 or subnormal) from
    // one too large (infinite).
    const std::string terminated(text);
    value = std::strtod(terminated.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return CellNumber{value, false};
}

std::string cellPlace(const TsvTable& table, std::size_t row, std::size_t column) {
    return placeOf(table.source(), table.lineOf(row)) + ", column \"" + visibleText(table.columns()[column]) + "\"";
}

ParseResult<CellNumber> cellNumber(const TsvTable& table, std::size_t row, std::size_t column) {
    const std::string_view cell = table.cell(row, column);
    if (const auto number = numberInCell(cell)) return ParseResult<CellNumber>::success(*number);
    const std::string found = withoutBlanksAround(cell).empty() ? std::string("an empty cell")
                                                                : formatText("\"%s\"", visibleText(cell, 40).c_str());
    return ParseResult<CellNumber>::failure(cellPlace(table, row, column) + ": expected a number, found " + found);
}

}  // namespace morvane
