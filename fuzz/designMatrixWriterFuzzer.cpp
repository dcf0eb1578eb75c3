// The writer of the extended design matrix, reading an adversarial design matrix: any bytes
// give whole lines and, when the merge succeeds, exactly the lines of the header, the
// colours, the names and one per data point, no more points than the records hold. Without
// any kind nothing is merged. The first byte picks the confound kinds, the writer and the z
// flag; the rest is the design matrix.
#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

#include "confounds/confoundRecord.h"
#include "confounds/writeDesignMatrixWithConfounds.h"
#include "fuzz/fuzzSupport.h"
#include "fuzz/textStreams.h"

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

// The number that ends the line of the given index; -1 when there is none.
long long numberEndingLine(std::string_view text, int index) {
    for (int i = 0; i < index; ++i) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) return -1;
        text.remove_prefix(end + 1);
    }
    const std::string_view line = text.substr(0, text.find('\n'));
    const std::size_t blank = line.rfind(' ');
    if (blank == std::string_view::npos) return -1;
    long long value = -1;
    const std::from_chars_result read = std::from_chars(line.data() + blank + 1, line.data() + line.size(), value);
    return read.ec == std::errc() && read.ptr == line.data() + line.size() ? value : -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    installQuietLog();
    if (size == 0) return 0;
    static ConfoundRecord motion = makeRecord(ConfoundKind::Motion, motionColumnCount);
    static ConfoundRecord heartRate = makeRecord(ConfoundKind::HeartRate, 2);
    static ConfoundRecord respiration = makeRecord(ConfoundKind::Respiration, 1);

    const std::uint8_t choice = data[0];
    const std::string_view designMatrix = fuzzBytes(data + 1, size - 1);
    const bool allKinds = (choice & 8) != 0;
    const bool z = (choice & 16) != 0;
    for (ConfoundRecord* record : {&motion, &heartRate, &respiration}) record->zTransformed = z;
    ConfoundSet confounds;
    if (allKinds || (choice & 1) != 0) confounds.motion = &motion;
    if (allKinds || (choice & 2) != 0) confounds.heartRate = &heartRate;
    if (allKinds || (choice & 4) != 0) confounds.respiration = &respiration;
    const ConfoundWriterVariant variant = allKinds ? ConfoundWriterVariant::AllKinds : ConfoundWriterVariant::SomeKinds;
    const bool anyKind = confounds.motion != nullptr || confounds.heartRate != nullptr || confounds.respiration != nullptr;

    static std::string written;  // kept from run to run with its room
    written.clear();
    TextInput input(designMatrix);
    TextOutput output(written);
    const MergeOutcome outcome = mergeDesignMatrixWithConfounds(input, output, confounds, variant, "fuzz.sdm");
    fuzzCheck(written.empty() || written.back() == '\n', "only whole lines are written");
    fuzzCheck(anyKind || (outcome == MergeOutcome::NoConfounds && written.empty()),
              "without any kind nothing is merged");
    if (outcome == MergeOutcome::Written) {
        // The data-point count stands on the fourth line.
        const long long points = numberEndingLine(written, 3);
        const long long lineCount = std::count(written.begin(), written.end(), '\n');
        fuzzCheck(points >= 0 && lineCount == 9 + points, "a merged file has all its lines");
        fuzzCheck(allKinds ? points == recordPoints : points <= recordPoints,
                  "a merged file has no more points than its records");
    }

    // The output name from a design-matrix name made of the same bytes.
    const std::string name(designMatrix.substr(0, 600));
    const std::optional<std::string> extended = extendedDesignMatrixName(name, confounds, variant);
    if (anyKind) fuzzCheck(extended.has_value() == (name.size() >= 4), "a name of four characters or more takes a suffix");
    if (extended && name.size() >= 4)
        fuzzCheck(extended->substr(extended->size() - 4) == name.substr(name.size() - 4), "the extension stays last");
    return 0;
}
