#include "bids/designMatrixExport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "formats/textFormat.h"

namespace morvane {
namespace {

// The shortest text that reads back to the same double.
void appendNumber(std::string& text, double value) {
    char number[32];
    const auto written = std::to_chars(number, number + sizeof number, value);
    text.append(number, written.ptr);
}

// "" or the place of the first value that is no finite number.
std::string firstNonFinite(const SdmContent& matrix) {
    const auto found = std::find_if(matrix.values.begin(), matrix.values.end(), [](double v) { return !std::isfinite(v); });
    if (found == matrix.values.end()) return {};
    const auto index = static_cast<std::size_t>(found - matrix.values.begin());
    const std::size_t columns = matrix.names.size();
    return formatText("data point %zu, predictor \"%s\" holds %s, which a table of numbers cannot carry",
                      index / columns + 1, visibleText(matrix.names[index % columns]).c_str(),
                      std::isnan(*found) ? "no number" : "an infinite value");
}

bool allAlikeAndNotZero(const SdmContent& matrix, std::size_t column) {
    if (matrix.dataPoints <= 0) return false;
    const double first = matrix.value(0, static_cast<int>(column));
    if (first == 0.0 || !std::isfinite(first)) return false;
    for (int row = 1; row < matrix.dataPoints; ++row)
        if (matrix.value(row, static_cast<int>(column)) != first) return false;
    return true;
}

}  // namespace

ParseResult<SdmContent> parseDesignMatrix(std::string_view text) {
    // The third word of an RTC is its type's key; an SDM's is the predictor count's.
    constexpr std::string_view space = " \t\r\n";
    std::string_view rest = text;
    std::string_view word;
    for (int i = 0; i < 3; ++i) {
        const auto start = rest.find_first_not_of(space);
        if (start == std::string_view::npos) return parseSdm(text);
        rest.remove_prefix(start);
        word = rest.substr(0, rest.find_first_of(space));
        rest.remove_prefix(word.size());
    }
    if (equalsIgnoringCase(word, "Type:")) return parseRtc(text);
    return parseSdm(text);
}

std::optional<std::size_t> constantColumn(const SdmContent& matrix) {
    if (matrix.includesConstant == 0) return std::nullopt;
    std::optional<std::size_t> found;
    for (std::size_t c = matrix.names.size(); c-- > 0;) {
        if (!allAlikeAndNotZero(matrix, c)) continue;
        if (equalsIgnoringCase(matrix.names[c], "Constant")) return c;
        if (!found) found = c;
    }
    return found;
}

ParseResult<std::string> designMatrixTsv(const SdmContent& matrix) {
    const std::size_t columns = matrix.names.size();
    if (columns == 0) return ParseResult<std::string>::failure("the design matrix holds no predictor");
    const std::optional<std::size_t> constant = constantColumn(matrix);
    for (std::size_t c = 0; c < columns; ++c) {
        if (constant == c) continue;
        const std::string& name = matrix.names[c];
        if (trimmed(name).empty())
            return ParseResult<std::string>::failure(formatText("predictor %zu has no name, which a table's header needs", c + 1));
        if (name.find_first_of("\t\r\n") != std::string::npos)
            return ParseResult<std::string>::failure("the predictor name \"" + visibleText(name) +
                                                     "\" holds a tab or a line break, which a table's header cannot");
    }
    if (const std::string problem = firstNonFinite(matrix); !problem.empty())
        return ParseResult<std::string>::failure(problem);

    std::string text;
    text.reserve(matrix.values.size() * 12 + 64);
    for (std::size_t c = 0; c < columns; ++c) {
        if (c > 0) text += '\t';
        text += constant == c ? std::string("constant") : matrix.names[c];
    }
    text += '\n';
    for (int row = 0; row < matrix.dataPoints; ++row) {
        for (std::size_t c = 0; c < columns; ++c) {
            if (c > 0) text += '\t';
            appendNumber(text, matrix.value(row, static_cast<int>(c)));
        }
        text += '\n';
    }
    return ParseResult<std::string>::success(std::move(text));
}

ParseResult<std::string> designMatrixFsl(const SdmContent& matrix) {
    const std::optional<std::size_t> constant = constantColumn(matrix);
    std::vector<int> kept;
    for (std::size_t c = 0; c < matrix.names.size(); ++c)
        if (constant != c) kept.push_back(static_cast<int>(c));
    if (kept.empty())
        return ParseResult<std::string>::failure(
            "the design matrix holds no predictor but the constant, which FSL's layout leaves out");
    if (const std::string problem = firstNonFinite(matrix); !problem.empty())
        return ParseResult<std::string>::failure(problem);

    std::string text = formatText("/NumWaves\t%zu\n/NumPoints\t%d\n/PPheights", kept.size(), matrix.dataPoints);
    for (const int c : kept) {
        double smallest = 0.0, largest = 0.0;
        for (int row = 0; row < matrix.dataPoints; ++row) {
            const double value = matrix.value(row, c);
            if (row == 0 || value < smallest) smallest = value;
            if (row == 0 || value > largest) largest = value;
        }
        if (!std::isfinite(largest - smallest))
            return ParseResult<std::string>::failure("the values of predictor \"" + visibleText(matrix.names[static_cast<std::size_t>(c)]) +
                                                     "\" spread wider than a double holds");
        text += '\t';
        appendNumber(text, largest - smallest);
    }
    text += "\n\n/Matrix\n";
    for (int row = 0; row < matrix.dataPoints; ++row) {
        for (std::size_t k = 0; k < kept.size(); ++k) {
            if (k > 0) text += '\t';
            appendNumber(text, matrix.value(row, kept[k]));
        }
        text += '\n';
    }
    return ParseResult<std::string>::success(std::move(text));
}

}  // namespace morvane
