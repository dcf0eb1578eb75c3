// Single-study design matrices (SDM text files) as this host writes them, and a reader
// that takes a whole SDM back, as a stream extracts numbers (touching negative values
// such as "0.03-0.0004" are two numbers).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/parseResult.h"
#include "formats/protocolFile.h"
#include "formats/wholeFile.h"

namespace morvane {

struct SdmContent {
    int fileVersion = 1;
    int includesConstant = 0;
    int firstConfoundPredictor = 1;  // 1-based
    int dataPoints = 0;
    std::vector<Rgb> colors;         // one per predictor
    std::vector<std::string> names;  // without their double quotes
    std::vector<double> values;      // dataPoints rows of names.size() values

    int predictorCount() const { return static_cast<int>(names.size()); }
    double value(int row, int predictor) const {
        return values[static_cast<std::size_t>(row) * names.size() + static_cast<std::size_t>(predictor)];
    }
};

// The file's text in the host's layout: padded header keys with empty lines after the first
// and the fifth, the colour triples on one line, the quoted names on one line, then one row
// per data point of values in 12-character fields of six significant digits, always with at
// least one blank before each value.
std::string sdmText(const SdmContent& content);

// A whole SDM: the header, every colour, name and value, and nothing after the last row.
ParseResult<SdmContent> parseSdm(std::string_view text);
// A whole RTC: its header, every name and value (it has no colours), and nothing after.
ParseResult<SdmContent> parseRtc(std::string_view text);
ParseResult<SdmContent> readSdmFile(const std::string& path);

// Only the header counts of a confound file.
struct ConfoundFileHeader {
    int predictorCount = 0;
    int dataPoints = 0;
    int includesConstant = 0;
};
ParseResult<ConfoundFileHeader> parseSdmHeader(std::string_view text);
ParseResult<ConfoundFileHeader> parseRtcHeader(std::string_view text);

}  // namespace morvane
