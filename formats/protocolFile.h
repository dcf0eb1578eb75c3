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
    friend bool operator==(const ProtocolInterval&, const ProtocolInterval&) = default;
};

struct ProtocolCondition {
    std::string name;
    std::vector<ProtocolInterval> intervals;
    Rgb color;
    friend bool operator==(const ProtocolCondition&, const ProtocolCondition&) = default;
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
    friend bool operator==(const Protocol&, const Protocol&) = default;
};

// Parses the text of a protocol. A failure says at which line what was expected; warnings
// (text after the last condition) are appended to warnings.
ParseResult<Protocol> parseProtocol(std::string_view text, std::vector<std::string>& warnings);

// Reads and parses a protocol file; messages name the file.
ParseResult<Protocol> readProtocolFile(const std::string& path, std::vector<std::string>& warnings);

// The protocol's text in the host's layout: keys padded to 20 characters, blank lines between
// the header's groups and the conditions, one interval a line with its weights in the
// shortest text that reads back to the same number. The FileVersion line is left out for
// version 1, ParametricWeights written from version 3 on (or whenever there are weights).
// parseProtocol gives the same protocol back when the experiment and every condition name
// are single lines without blanks around them, names are not empty, and each interval holds
// parametricWeights weights.
std::string protocolText(const Protocol& protocol);

}  // namespace morvane
