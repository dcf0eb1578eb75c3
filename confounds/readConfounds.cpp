// The heart-rate and respiration readers: any number of predictors from an RTC or SDM file.
// A constant, when the file has one, is its last predictor and is dropped from colours,
// names and values.
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "confounds/confoundFileFrame.h"
#include "confounds/readConfoundFiles.h"
#include "host/hostLog.h"

namespace {

constexpr const char* openFailure = "Unable to open the design matrix file.";

bool readConfoundsBody(TokenReader& tokens, ConfoundRecord& record, ConfoundFileForm form) {
    const std::int32_t predictors = record.predictorCount;
    // Wide: the lowest count less its constant is below the 32-bit range; it is refused below.
    const long long kept = record.includesConstant != 0 ? predictors - 1LL : predictors;

    logText("Reading colors...");
    // Every predictor has at least its name still to come.
    if (kept < 0 || !countFits(predictors, 1, tokens)) return false;
    std::vector<ColorTriple> colors(static_cast<std::size_t>(kept));
    if (form == ConfoundFileForm::Rtc) {
        for (std::size_t row = 0; row < colors.size(); ++row)
            // Computed wide and wrapped: the blue value has no upper bound.
            colors[row] = {255, 255, static_cast<std::int32_t>(20LL * static_cast<long long>(row))};
    } else {
        if (!countFits(3LL * predictors, 1, tokens)) return false;
        for (std::int32_t i = 0; i < predictors; ++i) {
            ColorTriple color;
            if (!tokens.readInt(color.red) || !tokens.readInt(color.green) || !tokens.readInt(color.blue))
                return false;
            if (i < kept) colors[static_cast<std::size_t>(i)] = color;
        }
    }
    record.colors = std::move(colors);

    // Names as read, quotes included; a quoted name may hold blanks.
    for (std::int32_t i = 0; i < predictors; ++i) {
        std::string_view name;
        if (!tokens.readName(name)) return false;
        if (i < kept) record.names.emplace_back(name);
    }

    const std::int32_t points = record.dataPointCount;
    if (points < 0 || !countFits(static_cast<long long>(points) * predictors, 1, tokens)) return false;
    std::vector<std::vector<double>> columns(static_cast<std::size_t>(kept));
    for (std::vector<double>& column : columns) column.reserve(static_cast<std::size_t>(points));
    logText("Reading confounds...");
    // Without predictors a row holds nothing to read, however many rows are declared.
    if (predictors > 0) {
        for (std::int32_t row = 0; row < points; ++row) {
            for (std::int32_t c = 0; c < predictors; ++c) {
                double value = 0.0;
                if (!tokens.readDouble(value)) return false;
                if (c < kept) columns[static_cast<std::size_t>(c)].push_back(value);
            }
        }
    }
    // Only complete columns reach the record.
    record.columns = std::move(columns);
    record.predictorCount = static_cast<std::int32_t>(kept);
    if (form == ConfoundFileForm::Sdm) record.includesConstant = 0;
    return true;
}

}  // namespace

std::unique_ptr<ConfoundRecord> readConfoundsRtcFrom(std::string_view bytes, const char* path,
                                                     ConfoundKind kind) {
    return readConfoundText(bytes, path, kind, ConfoundFileForm::Rtc, readConfoundsBody);
}

std::unique_ptr<ConfoundRecord> readConfoundsSdmFrom(std::string_view bytes, const char* path,
                                                     ConfoundKind kind) {
    return readConfoundText(bytes, path, kind, ConfoundFileForm::Sdm, readConfoundsBody);
}

std::unique_ptr<ConfoundRecord> readConfoundsRtc(const char* path, ConfoundKind kind) {
    return readConfoundFile(path, kind, ConfoundFileForm::Rtc, openFailure, readConfoundsBody);
}

std::unique_ptr<ConfoundRecord> readConfoundsSdm(const char* path, ConfoundKind kind) {
    return readConfoundFile(path, kind, ConfoundFileForm::Sdm, openFailure, readConfoundsBody);
}
