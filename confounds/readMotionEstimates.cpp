// The motion-estimate readers: six columns (translation X, Y, Z, rotation X, Y, Z) from an
// RTC or SDM file. Six colours (SDM) and six values per row are taken whatever the file's
// predictor count says; the count only decides how many quoted names are passed over.
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "confounds/confoundFileFrame.h"
#include "confounds/readConfoundFiles.h"
#include "host/hostLog.h"

namespace {

constexpr std::array<ColorTriple, motionColumnCount> fixedMotionColors = {{
    {255, 50, 50}, {50, 255, 50}, {50, 50, 255}, {255, 255, 0}, {255, 0, 255}, {0, 255, 255}}};

constexpr const char* openFailure = "Unable to open the motion estimates file.";

bool readMotionBody(TokenReader& tokens, ConfoundRecord& record, ConfoundFileForm form) {
    if (form == ConfoundFileForm::Rtc) {
        logText("Adding colors...");
        record.motionColors = fixedMotionColors;
    } else {
        logText("Reading colors...");
        std::array<ColorTriple, motionColumnCount> colors{};
        for (ColorTriple& color : colors)
            if (!tokens.readInt(color.red) || !tokens.readInt(color.green) || !tokens.readInt(color.blue))
                return false;
        record.motionColors = colors;
    }

    // Names are passed over by their double quotes, two per predictor, so they may hold blanks.
    const long long quotes = 2LL * record.predictorCount;
    if (!countFits(quotes, 1, tokens)) return false;
    for (long long passed = 0; passed < quotes;) {
        char c = 0;
        if (!tokens.readChar(c)) return false;
        if (c == '"') ++passed;
    }

    const std::int32_t points = record.dataPointCount;
    if (!countFits(points, motionColumnCount, tokens)) return false;
    std::array<std::vector<double>, motionColumnCount> columns;
    for (std::vector<double>& column : columns) column.reserve(static_cast<std::size_t>(points));
    logText("Reading motion estimates...");
    for (std::int32_t row = 0; row < points; ++row) {
        for (std::vector<double>& column : columns) {
            double value = 0.0;
            if (!tokens.readDouble(value)) return false;
            column.push_back(value);
        }
    }
    // Only complete columns reach the record.
    record.motionColumns = std::move(columns);
    return true;
}

}  // namespace

std::unique_ptr<ConfoundRecord> readMotionEstimatesRtcFrom(std::string_view bytes, const char* path) {
    return readConfoundText(bytes, path, ConfoundKind::Motion, ConfoundFileForm::Rtc, readMotionBody);
}

std::unique_ptr<ConfoundRecord> readMotionEstimatesSdmFrom(std::string_view bytes, const char* path) {
    return readConfoundText(bytes, path, ConfoundKind::Motion, ConfoundFileForm::Sdm, readMotionBody);
}

std::unique_ptr<ConfoundRecord> readMotionEstimatesRtc(const char* path) {
    return readConfoundFile(path, ConfoundKind::Motion, ConfoundFileForm::Rtc, openFailure, readMotionBody);
}

std::unique_ptr<ConfoundRecord> readMotionEstimatesSdm(const char* path) {
    return readConfoundFile(path, ConfoundKind::Motion, ConfoundFileForm::Sdm, openFailure, readMotionBody);
}
