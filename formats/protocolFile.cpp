#include "formats/protocolFile.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "formats/textFormat.h"
#include "formats/wholeFile.h"

namespace morvane {
namespace {

struct Line {
    int number;
    std::string_view text;  // trimmed
};

std::vector<Line> meaningfulLines(std::string_view text) {
    std::vector<Line> lines;
    int number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find('\n', start);
        const std::string_view raw =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        ++number;
        const std::string_view line = trimmed(raw);
        if (!line.empty()) lines.push_back({number, line});
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> result;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) result.push_back(text.substr(start, i - start));
    }
    return result;
}

template <typename Number>
bool parseNumber(std::string_view word, Number& value) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

class ProtocolParser {
public:
    ProtocolParser(std::string_view text, std::vector<std::string>& warnings)
        : lines_(meaningfulLines(text)), warnings_(warnings) {}

    ParseResult<Protocol> parse() {
        Protocol protocol;
        int conditionCount = -1;
        bool sawResolution = false;
        while (conditionCount < 0) {
            if (atEnd()) return fail("the header line \"NrOfConditions: <count>\"", "the end of the file");
            const Line line = next();
            const auto colon = line.text.find(':');
            if (colon == std::string_view::npos)
                return failAt(line, "a header line \"Key: value\"");
            const std::string_view key = trimmed(line.text.substr(0, colon));
            const std::string_view value = trimmed(line.text.substr(colon + 1));
            if (equalsIgnoringCase(key, "FileVersion")) {
                if (!parseNumber(value, protocol.fileVersion) || protocol.fileVersion < 1 ||
                    protocol.fileVersion > 3)
                    return failAt(line, "FileVersion 2 or 3");
            } else if (equalsIgnoringCase(key, "ResolutionOfTime")) {
                if (equalsIgnoringCase(value, "Volumes")) {
                    protocol.inMilliseconds = false;
                } else if (equalsIgnoringCase(value, "msec")) {
                    protocol.inMilliseconds = true;
                } else {
                    return failAt(line, "ResolutionOfTime \"Volumes\" or \"msec\"");
                }
                sawResolution = true;
            } else if (equalsIgnoringCase(key, "Experiment")) {
                protocol.experiment = std::string(value);
            } else if (equalsIgnoringCase(key, "BackgroundColor")) {
                if (!parseColor(value, protocol.backgroundColor)) return failAt(line, "three colour values 0-255");
            } else if (equalsIgnoringCase(key, "TextColor")) {
                if (!parseColor(value, protocol.textColor)) return failAt(line, "three colour values 0-255");
            } else if (equalsIgnoringCase(key, "TimeCourseColor")) {
                if (!parseColor(value, protocol.timeCourseColor)) return failAt(line, "three colour values 0-255");
            } else if (equalsIgnoringCase(key, "ReferenceFuncColor")) {
                if (!parseColor(value, protocol.referenceFunctionColor))
                    return failAt(line, "three colour values 0-255");
            } else if (equalsIgnoringCase(key, "TimeCourseThick")) {
                if (!parseNumber(value, protocol.timeCourseThickness)) return failAt(line, "an integer thickness");
            } else if (equalsIgnoringCase(key, "ReferenceFuncThick")) {
                if (!parseNumber(value, protocol.referenceFunctionThickness))
                    return failAt(line, "an integer thickness");
            } else if (equalsIgnoringCase(key, "ParametricWeights")) {
                if (!parseNumber(value, protocol.parametricWeights) || protocol.parametricWeights < 0)
                    return failAt(line, "a number of parametric weights of 0 or more");
            } else if (equalsIgnoringCase(key, "NrOfConditions")) {
                if (!parseNumber(value, conditionCount) || conditionCount < 0)
                    return failAt(line, "a number of conditions of 0 or more");
            }
            // Other keys are extensions of other writers; they carry nothing this host uses.
        }
        (void)sawResolution;  // old files without the line count in volumes

        for (int c = 0; c < conditionCount; ++c) {
            ProtocolCondition condition;
            if (atEnd()) return fail(formatText("the name of condition %d", c + 1), "the end of the file");
            condition.name = std::string(next().text);

            if (atEnd()) return fail("the number of intervals of condition \"" + condition.name + "\"",
                                     "the end of the file");
            const Line countLine = next();
            int intervalCount = 0;
            if (!parseNumber(countLine.text, intervalCount) || intervalCount < 0)
                return failAt(countLine, "the number of intervals of condition \"" + condition.name +
                                             "\" (an integer of 0 or more)");

            for (int k = 0; k < intervalCount; ++k) {
                if (atEnd()) return fail(formatText("interval %d of condition \"%s\"", k + 1, condition.name.c_str()),
                                         "the end of the file");
                const Line line = next();
                ProtocolInterval interval;
                const std::string expectation =
                    protocol.parametricWeights > 0
                        ? formatText("an interval \"start end\" of two integers and %d weight(s)",
                                     protocol.parametricWeights)
                        : std::string("an interval \"start end\" of two integers");
                const auto parts = words(line.text);
                if (parts.size() != static_cast<std::size_t>(2 + protocol.parametricWeights) ||
                    !parseNumber(parts[0], interval.start) || !parseNumber(parts[1], interval.end))
                    return failAt(line, expectation);
                for (std::size_t w = 2; w < parts.size(); ++w) {
                    double weight = 0.0;
                    if (!parseNumber(parts[w], weight)) return failAt(line, expectation);
                    interval.weights.push_back(weight);
                }
                if (interval.end < interval.start)
                    return failAt(line, "an interval whose end is not before its start");
                condition.intervals.push_back(std::move(interval));
            }

            if (atEnd()) return fail("the colour line \"Color: R G B\" of condition \"" + condition.name + "\"",
                                     "the end of the file");
            const Line colorLine = next();
            const auto colon = colorLine.text.find(':');
            if (colon == std::string_view::npos ||
                !equalsIgnoringCase(trimmed(colorLine.text.substr(0, colon)), "Color") ||
                !parseColor(trimmed(colorLine.text.substr(colon + 1)), condition.color))
                return failAt(colorLine,
                              "the colour line \"Color: R G B\" of condition \"" + condition.name + "\"");
            protocol.conditions.push_back(std::move(condition));
        }
        if (!atEnd()) {
            warnings_.push_back(formatText("line %d: text after the last condition is ignored", lines_[position_].number));
        }
        return ParseResult<Protocol>::success(std::move(protocol));
    }

private:
    bool atEnd() const { return position_ >= lines_.size(); }
    Line next() { return lines_[position_++]; }

    static bool parseColor(std::string_view text, Rgb& color) {
        const auto parts = words(text);
        if (parts.size() != 3) return false;
        int values[3];
        for (int i = 0; i < 3; ++i) {
            if (!parseNumber(parts[static_cast<std::size_t>(i)], values[i]) || values[i] < 0 || values[i] > 255)
                return false;
        }
        color = {values[0], values[1], values[2]};
        return true;
    }

    static ParseResult<Protocol> failAt(const Line& line, const std::string& expected) {
        return ParseResult<Protocol>::failure(formatText("line %d: expected %s, found \"%s\"", line.number,
                                                         expected.c_str(), visibleText(line.text).c_str()));
    }
    ParseResult<Protocol> fail(const std::string& expected, const char* found) const {
        const int lineNumber = lines_.empty() ? 1 : lines_.back().number + 1;
        return ParseResult<Protocol>::failure(
            formatText("line %d: expected %s, found %s", lineNumber, expected.c_str(), found));
    }

    std::vector<Line> lines_;
    std::size_t position_ = 0;
    std::vector<std::string>& warnings_;
};

}  // namespace

std::int32_t packedColor(const Rgb& color) {
    return static_cast<std::int32_t>((color.red << 16) | (color.green << 8) | color.blue);
}

ParseResult<Protocol> parseProtocol(std::string_view text, std::vector<std::string>& warnings) {
    return ProtocolParser(text, warnings).parse();
}

std::string protocolText(const Protocol& protocol) {
    std::string text;
    std::size_t lines = 0;
    for (const ProtocolCondition& condition : protocol.conditions) lines += condition.intervals.size() + 4;
    text.reserve(400 + lines * (18 + 26 * static_cast<std::size_t>(std::max(protocol.parametricWeights, 0))));
    const auto line = [&](const char* key, const std::string& value) { text += formatText("%-20s%s\n", key, value.c_str()); };
    const auto color = [](const Rgb& c) { return formatText("%d %d %d", c.red, c.green, c.blue); };
    if (protocol.fileVersion >= 2) {
        line("FileVersion:", std::to_string(protocol.fileVersion));
        text += '\n';
    }
    line("ResolutionOfTime:", protocol.inMilliseconds ? "msec" : "Volumes");
    text += '\n';
    line("Experiment:", protocol.experiment);
    text += '\n';
    line("BackgroundColor:", color(protocol.backgroundColor));
    line("TextColor:", color(protocol.textColor));
    line("TimeCourseColor:", color(protocol.timeCourseColor));
    line("TimeCourseThick:", std::to_string(protocol.timeCourseThickness));
    line("ReferenceFuncColor:", color(protocol.referenceFunctionColor));
    line("ReferenceFuncThick:", std::to_string(protocol.referenceFunctionThickness));
    text += '\n';
    if (protocol.fileVersion >= 3 || protocol.parametricWeights != 0) {
        line("ParametricWeights:", std::to_string(protocol.parametricWeights));
        text += '\n';
    }
    line("NrOfConditions:", std::to_string(protocol.conditions.size()));
    // Milliseconds run to six or seven digits, volumes to three or four; right-aligned. Each
    // interval line is written into the text in place, room for its longest made first.
    const int width = protocol.inMilliseconds ? 8 : 4;
    const auto aligned = [width](char* out, std::int32_t value) {
        char number[16];
        const char* const end = std::to_chars(number, number + sizeof number, value).ptr;
        const int length = static_cast<int>(end - number);
        for (int i = length; i < width; ++i) *out++ = ' ';
        std::memcpy(out, number, static_cast<std::size_t>(length));
        return out + length;
    };
    for (const ProtocolCondition& condition : protocol.conditions) {
        text += '\n' + condition.name + '\n' + std::to_string(condition.intervals.size()) + '\n';
        for (const ProtocolInterval& interval : condition.intervals) {
            const std::size_t used = text.size();
            text.resize(used + 2 * 12 + interval.weights.size() * 34 + 1);
            char* out = aligned(text.data() + used, interval.start);
            *out++ = ' ';
            out = aligned(out, interval.end);
            for (double weight : interval.weights) {
                *out++ = ' ';
                *out++ = ' ';
                out = std::to_chars(out, out + 32, weight).ptr;
            }
            *out++ = '\n';
            text.resize(static_cast<std::size_t>(out - text.data()));
        }
        text += "Color: " + color(condition.color) + '\n';
    }
    return text;
}

ParseResult<Protocol> readProtocolFile(const std::string& path, std::vector<std::string>& warnings) {
    ParseResult<std::string> content = readWholeFile(path);
    if (!content) return ParseResult<Protocol>::failure(path + ": the protocol file cannot be read: " + content.error);
    std::vector<std::string> fileWarnings;
    ParseResult<Protocol> result = parseProtocol(*content.value, fileWarnings);
    for (const std::string& warning : fileWarnings) warnings.push_back(path + ", " + warning);
    if (!result) result.error = path + ", " + result.error;
    return result;
}

}  // namespace morvane
