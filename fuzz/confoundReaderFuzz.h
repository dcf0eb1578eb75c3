// What the four confound-reader targets do with a record once their reader made it from
// the fuzzer's bytes: check that its arrays match its counts, z-transform it, and merge it
// into a small design matrix, as the confound stage would.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "common/text.h"
#include "confounds/confoundRecord.h"
#include "confounds/writeDesignMatrixWithConfounds.h"
#include "confounds/zTransform.h"
#include "fuzz/fuzzSupport.h"
#include "fuzz/textStreams.h"

inline void checkConfoundRecord(const ConfoundRecord& record) {
    const long long points = record.dataPointCount;
    if (record.kind == ConfoundKind::Motion) {
        fuzzCheck(record.colors.empty() && record.names.empty() && record.columns.empty(),
                  "a motion record keeps only motion arrays");
        const std::size_t first = record.motionColumns[0].size();
        for (const std::vector<double>& column : record.motionColumns)
            fuzzCheck(column.size() == first, "the six motion columns are equally long");
        if (record.readOk)
            fuzzCheck(points >= 0 && static_cast<long long>(first) == points, "a read record has a value per point");
        return;
    }
    for (const std::vector<double>& column : record.motionColumns)
        fuzzCheck(column.empty(), "a heart-rate or respiration record keeps no motion columns");
    if (!record.readOk) return;
    fuzzCheck(record.predictorCount >= 0, "a read record keeps no negative count");
    const std::size_t kept = static_cast<std::size_t>(record.predictorCount);
    fuzzCheck(record.colors.size() == kept && record.names.size() == kept && record.columns.size() == kept,
              "one colour, name and column per kept predictor");
    for (const std::vector<double>& column : record.columns)
        fuzzCheck(static_cast<long long>(column.size()) == points, "a value per point in every column");
    for (const std::string& name : record.names) fuzzCheck(!name.empty(), "names are words");
}

constexpr int longestMergedRun = 64;  // the merge is linear; a longer run proves nothing more

// A design matrix of one condition and the constant, of 0 to longestMergedRun points: made
// once each, not for every run.
inline std::string_view designMatrixOfPoints(int points) {
    static const std::array<std::string, longestMergedRun + 1> texts = [] {
        std::array<std::string, longestMergedRun + 1> made;
        for (int count = 0; count <= longestMergedRun; ++count) {
            std::string& text = made[static_cast<std::size_t>(count)];
            text = formatText("FileVersion: 1\n\nNrOfPredictors: 2\nNrOfDataPoints: %d\nIncludesConstant: 1\n"
                              "FirstConfoundPredictor: 2\n\n255 0 0 255 255 255\n\"Task\" \"Constant\"\n",
                              count);
            for (int row = 0; row < count; ++row) text += row % 2 == 0 ? "0 1\n" : "1 1\n";
        }
        return made;
    }();
    return texts[static_cast<std::size_t>(points)];
}

// The design matrix as long as the record, merged with it.
inline void mergeIntoDesignMatrix(const ConfoundRecord& record) {
    const int points = record.dataPointCount >= 0 && record.dataPointCount <= longestMergedRun ? record.dataPointCount : 3;
    ConfoundSet confounds;
    if (record.kind == ConfoundKind::Motion)
        confounds.motion = &record;
    else if (record.kind == ConfoundKind::HeartRate)
        confounds.heartRate = &record;
    else
        confounds.respiration = &record;
    static std::string written;
    for (ConfoundWriterVariant variant : {ConfoundWriterVariant::SomeKinds, ConfoundWriterVariant::AllKinds}) {
        written.clear();
        TextInput input(designMatrixOfPoints(points));
        TextOutput output(written);
        mergeDesignMatrixWithConfounds(input, output, confounds, variant, "fuzz.sdm");
        fuzzCheck(written.empty() || written.back() == '\n', "only whole lines are written");
    }
}

inline void fuzzConfoundRecord(std::unique_ptr<ConfoundRecord> record) {
    fuzzCheck(record != nullptr, "every reader returns a record");
    checkConfoundRecord(*record);
    mergeIntoDesignMatrix(*record);
    if (record->kind == ConfoundKind::Motion)
        zTransformMotion(*record);
    else
        zTransformConfounds(*record);
    checkConfoundRecord(*record);
    mergeIntoDesignMatrix(*record);
}
