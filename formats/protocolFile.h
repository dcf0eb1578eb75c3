// Stimulation protocols (PRT text files, FileVersion 2 and 3, Volumes or msec).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/parseResult.h"

namespace morvane {

struct Rgb {
    int red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The colour as the host's records carry it: 0xRRGGBB.
std::int32_t packedColor(const Rgb& color);

struct ProtocolInterval {
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::vector<double> weights;  // ParametricWeights values; they do not enter plain predictors
};

struct ProtocolCondition {
    std::string name;
    std::vector<ProtocolInterval> intervals;
    Rgb color;
};

struct Protocol {
    int fileVersion = 1;  // 1 stands for a file without the FileVersion line
    bool inMilliseconds = false;
    std::string experiment;
    Rgb backgroundColor;
    Rgb textColor{255, 255, 255};
    Rgb timeCourseColor{255, 255, 255};
    int timeCourseThickness = 2;
    Rgb referenceFunctionColor{0, 255, 0};
    int referenceFunctionThickness = 2;
    int parametricWeights = 0;
    std::vector<ProtocolCondition> conditions;
};

// Parses the text of a protocol. A failure says at which line what was expected; warnings
// (text after the last condition) are appended to warnings.
ParseResult<Protocol> parseProtocol(std::string_view text, std::vector<std::string>& warnings);

// Reads and parses a protocol file; messages name the file.
ParseResult<Protocol> readProtocolFile(const std::string& path, std::vector<std::string>& warnings);

}  // namespace morvane
