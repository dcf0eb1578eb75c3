// The writer of the extended design matrix, reading an adversarial design matrix: any bytes
// give whole lines and, when the merge succeeds, exactly the lines of the header, the
// colours, the names and one per data point. The first byte picks the confound kinds, the
// writer and the z flag; the rest is the design matrix.
#include <algorithm>
#include <sstream>
#include <string>

#include "confounds/confoundRecord.h"
#include "confounds/writeDesignMatrixWithConfounds.h"
#include "fuzz/fuzzSupport.h"

namespace {

constexpr int recordPoints = 12;

ConfoundRecord makeRecord(ConfoundKind kind, int predictors) {
    ConfoundRecord record;
    record.kind = kind;
    record.dataPointCount = recordPoints;
    record.fileVersion = 1;
    if (kind == ConfoundKind::Motion) {
        record.predictorCount = motionColumnCount;
        for (int c = 0; c < motionColumnCount; ++c) {
            record.motionColors[static_cast<std::size_t>(c)] = {50 * c, 255, 0};
            for (int i = 0; i < recordPoints; ++i)
                record.motionColumns[static_cast<std::size_t>(c)].push_back(0.125 * i - c);
        }
        return record;
    }
    record.predictorCount = predictors;
    for (int c = 0; c < predictors; ++c) {
        record.colors.push_back({255, 255, 20 * c});
        record.names.push_back("\"P" + std::to_string(c) + "\"");
        std::vector<double> column;
        for (int i = 0; i < recordPoints; ++i) column.push_back(1e-3 * i * (c + 1));
        record.columns.push_back(std::move(column));
    }
    return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    installQuietLog();
    if (size == 0) return 0;
    static ConfoundRecord motion = makeRecord(ConfoundKind::Motion, motionColumnCount);
    static ConfoundRecord heartRate = makeRecord(ConfoundKind::HeartRate, 2);
    static ConfoundRecord respiration = makeRecord(ConfoundKind::Respiration, 1);

    const std::uint8_t choice = data[0];
    const std::string designMatrix(fuzzBytes(data + 1, size - 1));
    const bool allKinds = (choice & 8) != 0;
    const bool z = (choice & 16) != 0;
    for (ConfoundRecord* record : {&motion, &heartRate, &respiration}) record->zTransformed = z;
    ConfoundSet confounds;
    if (allKinds || (choice & 1) != 0) confounds.motion = &motion;
    if (allKinds || (choice & 2) != 0) confounds.heartRate = &heartRate;
    if (allKinds || (choice & 4) != 0) confounds.respiration = &respiration;
    const ConfoundWriterVariant variant = allKinds ? ConfoundWriterVariant::AllKinds : ConfoundWriterVariant::SomeKinds;

    std::istringstream input(designMatrix);
    std::ostringstream output;
    const MergeOutcome outcome = mergeDesignMatrixWithConfounds(input, output, confounds, variant, "fuzz.sdm");
    const std::string written = output.str();
    fuzzCheck(written.empty() || written.back() == '\n', "only whole lines are written");
    if (outcome == MergeOutcome::Written) {
        // The data-point count stands on the fourth line.
        std::istringstream lines(written);
        std::string line;
        for (int i = 0; i < 4; ++i) std::getline(lines, line);
        const long long points = std::stoll(line.substr(line.rfind(' ') + 1));
        const long long lineCount = std::count(written.begin(), written.end(), '\n');
        fuzzCheck(points <= recordPoints && lineCount == 9 + points, "a merged file has all its lines");
    }

    // The output name from a design-matrix name made of the same bytes.
    const std::string name = designMatrix.substr(0, 600);
    const std::optional<std::string> extended = extendedDesignMatrixName(name, confounds, variant);
    const bool anyKind = confounds.motion != nullptr || confounds.heartRate != nullptr || confounds.respiration != nullptr;
    if (anyKind) fuzzCheck(extended.has_value() == (name.size() >= 4), "a name of four characters or more takes a suffix");
    if (extended && name.size() >= 4)
        fuzzCheck(extended->substr(extended->size() - 4) == name.substr(name.size() - 4), "the extension stays last");
    return 0;
}
