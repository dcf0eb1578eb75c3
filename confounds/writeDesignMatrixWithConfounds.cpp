#include "confounds/writeDesignMatrixWithConfounds.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <istream>
#include <ostream>
#include <string_view>

#include "common/text.h"
#include "confounds/lineWriter.h"
#include "confounds/tokenReader.h"
#include "host/hostLog.h"

namespace {

constexpr std::array<std::string_view, motionColumnCount> motionPredictorNames = {
    "\"Translation MN-X [mm]\"", "\"Translation MN-Y [mm]\"", "\"Translation MN-Z [mm]\"",
    "\"Rotation MN-X [deg]\"",   "\"Rotation MN-Y [deg]\"",   "\"Rotation MN-Z [deg]\"",
};

constexpr const char* tooFewPointsLine = "Number of datapoints in *.sdm/*.rtc file(s) not sufficient!";
constexpr const char* otherPointsLine =
    "Number of datapoints in *.sdm/*.rtc file(s) does not match the design matrix!";

const char* errorLine(ConfoundWriterVariant variant) {
    return variant == ConfoundWriterVariant::SomeKinds
               ? "Error while converting PRT to SDM with any of 3DMC, heart rate and respiration files."
               : "Error while converting PRT to SDM with 3DMC, heart rate and respiration files.";
}

void writeTriple(LineWriter& out, const ColorTriple& color) {
    out.integer(color.red);
    out.character(' ');
    out.integer(color.green);
    out.character(' ');
    out.integer(color.blue);
    out.character(' ');
}

// The data points a record can give: -1 when its reading failed or its arrays do not match
// its counts, so that no value is taken from an array that is not there. The motion record
// is written from its motion arrays, the others from their columns.
long long pointsHeld(const ConfoundRecord& record, bool motion) {
    if (!record.readOk || record.dataPointCount < 0) return -1;
    const std::size_t points = static_cast<std::size_t>(record.dataPointCount);
    if (motion) {
        for (const std::vector<double>& column : record.motionColumns)
            if (column.size() < points) return -1;
        return record.dataPointCount;
    }
    const std::size_t kept = static_cast<std::size_t>(std::max(record.predictorCount, 0));
    if (record.predictorCount < 0 || record.colors.size() != kept || record.names.size() != kept ||
        record.columns.size() != kept)
        return -1;
    for (const std::vector<double>& column : record.columns)
        if (column.size() < points) return -1;
    return record.dataPointCount;
}

// The predictors a record adds: always six for motion, since six are written whatever its
// file declared.
long long predictorsAdded(const ConfoundRecord& record, bool motion) {
    if (motion) return motionColumnCount;
    return std::max(record.predictorCount, 0);
}

bool dataPointsFit(const ConfoundSet& confounds, ConfoundWriterVariant variant, long long designPoints) {
    bool fit = true;
    for (const ConfoundRecord* record : {confounds.motion, confounds.heartRate, confounds.respiration}) {
        if (record == nullptr) continue;
        const long long held = pointsHeld(*record, record == confounds.motion);
        if (variant == ConfoundWriterVariant::SomeKinds) {
            // A record with more points than the design matrix gives its first ones.
            if (held < designPoints) {
                logText(tooFewPointsLine);
                fit = false;
            }
        } else if (held != designPoints) {
            logText(otherPointsLine);
            fit = false;
        }
    }
    return fit;
}

// The value of a number's text as the token reader delimited it.
double valueOf(std::string_view text) {
    double value = 0.0;
    scanDouble(text.data(), text.data() + text.size(), false, value);
    return value;
}

class Merge {
public:
    Merge(std::istream& designMatrix, std::ostream& output, const ConfoundSet& confounds,
          ConfoundWriterVariant variant)
        : in_(designMatrix.rdbuf()), out_(output), confounds_(confounds), variant_(variant) {}

    MergeOutcome run();

private:
    bool copyKeyAndInt(std::int32_t& value);
    bool mergeColors();
    bool mergeNames();
    bool mergeRows();

    TokenReader in_;
    LineWriter out_;
    const ConfoundSet& confounds_;
    ConfoundWriterVariant variant_;
    std::int32_t predictors_ = 0;
    std::int32_t points_ = 0;
    bool constant_ = false;
};

// Reads a header key and its value and writes "key value" without the line end.
bool Merge::copyKeyAndInt(std::int32_t& value) {
    std::string_view key;
    if (!in_.readWord(key)) return false;
    out_.text(key);
    out_.character(' ');
    return in_.readInt(value);
}

MergeOutcome Merge::run() {
    std::int32_t version = 0;
    if (!copyKeyAndInt(version)) return MergeOutcome::DesignMatrixUnreadable;
    if (version > 1) {
        out_.dropLine();
        return MergeOutcome::VersionNotSupported;
    }
    out_.integer(version);
    out_.endLine();
    out_.endLine();

    if (!copyKeyAndInt(predictors_) || predictors_ < 0) return MergeOutcome::DesignMatrixUnreadable;
    long long added = 0;
    for (const ConfoundRecord* record : {confounds_.motion, confounds_.heartRate, confounds_.respiration})
        if (record != nullptr) added += predictorsAdded(*record, record == confounds_.motion);
    out_.integer(predictors_ + added);
    out_.endLine();

    if (!copyKeyAndInt(points_) || points_ < 0) return MergeOutcome::DesignMatrixUnreadable;
    out_.integer(points_);
    out_.endLine();

    if (!dataPointsFit(confounds_, variant_, points_)) return MergeOutcome::DataPointsMismatch;

    std::int32_t includesConstant = 0;
    if (!copyKeyAndInt(includesConstant)) return MergeOutcome::DesignMatrixUnreadable;
    constant_ = includesConstant != 0;
    // The constant is the last predictor: a design matrix that claims one needs one.
    if (constant_ && predictors_ < 1) return MergeOutcome::DesignMatrixUnreadable;
    out_.integer(includesConstant);
    out_.endLine();
    std::int32_t firstConfound = 0;
    if (!copyKeyAndInt(firstConfound)) return MergeOutcome::DesignMatrixUnreadable;
    out_.integer(firstConfound);
    out_.endLine();
    out_.endLine();

    if (!mergeColors() || !mergeNames() || !mergeRows()) return MergeOutcome::DesignMatrixUnreadable;
    return MergeOutcome::Written;
}

bool Merge::mergeColors() {
    ColorTriple held;
    for (std::int32_t i = 0; i < predictors_; ++i) {
        ColorTriple color;
        if (!in_.readInt(color.red) || !in_.readInt(color.green) || !in_.readInt(color.blue)) return false;
        if (constant_ && i == predictors_ - 1)
            held = color;
        else
            writeTriple(out_, color);
    }
    if (confounds_.motion != nullptr)
        for (const ColorTriple& color : confounds_.motion->motionColors) writeTriple(out_, color);
    for (const ConfoundRecord* record : {confounds_.heartRate, confounds_.respiration})
        if (record != nullptr)
            for (const ColorTriple& color : record->colors) writeTriple(out_, color);
    if (constant_) writeTriple(out_, held);
    out_.endLine();
    return true;
}

bool Merge::mergeNames() {
    std::string held;
    for (std::int32_t i = 0; i < predictors_; ++i) {
        std::string_view name;
        if (!in_.readName(name)) return false;
        if (constant_ && i == predictors_ - 1) {
            held.assign(name);
        } else {
            out_.text(name);
            out_.character('\t');
        }
    }
    if (confounds_.motion != nullptr) {
        for (std::string_view name : motionPredictorNames) {
            out_.text(name);
            out_.character('\t');
        }
    }
    for (const ConfoundRecord* record : {confounds_.heartRate, confounds_.respiration}) {
        if (record == nullptr) continue;
        for (const std::string& name : record->names) {
            out_.text(name);
            out_.character('\t');
        }
    }
    if (constant_) {
        out_.character('\t');
        out_.text(held);
    }
    out_.endLine();
    return true;
}

bool Merge::mergeRows() {
    const ConfoundRecord* motion = confounds_.motion;
    for (std::int32_t point = 0; point < points_; ++point) {
        const std::size_t row = static_cast<std::size_t>(point);
        double held = 0.0;
        for (std::int32_t i = 0; i < predictors_; ++i) {
            // The host mostly writes the design matrix in the very notation written here, so
            // such a value's text is copied; only other texts are converted and formatted.
            std::string_view text;
            bool asWritten = false;
            if (!in_.readDoubleText(text, asWritten)) return false;
            if (constant_ && i == predictors_ - 1) {
                held = valueOf(text);
            } else {
                if (asWritten)
                    out_.text(text);
                else
                    out_.defaultNotation(valueOf(text));
                out_.character('\t');
            }
        }
        if (motion != nullptr) {
            for (const std::vector<double>& column : motion->motionColumns) {
                out_.defaultNotation(column[row]);
                out_.character('\t');
            }
        }
        for (const ConfoundRecord* record : {confounds_.heartRate, confounds_.respiration}) {
            if (record == nullptr) continue;
            for (const std::vector<double>& column : record->columns) {
                out_.fixedSixDecimals(column[row]);
                out_.character('\t');
            }
        }
        if (constant_) out_.fixedSixDecimals(held);
        out_.endLine();
    }
    return true;
}

ConfoundSet presentRecords(const ConfoundRecord* motion, const ConfoundRecord* heartRate,
                           const ConfoundRecord* respiration, bool hasMotion, bool hasHeartRate,
                           bool hasRespiration) {
    ConfoundSet set;
    if (hasMotion) set.motion = motion;
    if (hasHeartRate) set.heartRate = heartRate;
    if (hasRespiration) set.respiration = respiration;
    return set;
}

std::string writeExtendedDesignMatrix(const std::string& designMatrixName, const ConfoundSet& confounds,
                                      ConfoundWriterVariant variant) {
    std::string outputName = designMatrixName;
    try {
        // Without any kind the output would carry the design matrix's own name and empty it.
        if (confounds.empty()) {
            logText(errorLine(variant));
            return outputName;
        }
        // Neither side may be a folder, pipe or device: a pipe would keep the run waiting.
        std::ifstream designMatrix;
        if (!namesNonRegularFile(designMatrixName.c_str())) designMatrix.open(designMatrixName);
        std::optional<std::string> formed = extendedDesignMatrixName(designMatrixName, confounds, variant);
        if (!formed) {
            logText(errorLine(variant));
            return outputName;
        }
        outputName = *formed;
        logText(formatText("New filename: %s", outputName.c_str()));
        if (!designMatrix.is_open()) {
            logText(formatText("Unable to open the design matrix %s; nothing written.",
                               designMatrixName.c_str()));
            return outputName;
        }
        std::ofstream output;
        if (!namesNonRegularFile(outputName.c_str())) output.open(outputName, std::ios::out | std::ios::trunc);
        if (!output.is_open()) {
            logText("Unable to open a file for writing.");
            return outputName;
        }
        mergeDesignMatrixWithConfounds(designMatrix, output, confounds, variant, designMatrixName);
        output.close();
        if (output.fail()) logText(errorLine(variant));
    } catch (...) {
        logText(errorLine(variant));
    }
    return outputName;
}

}  // namespace

std::optional<std::string> extendedDesignMatrixName(const std::string& designMatrixName,
                                                    const ConfoundSet& confounds,
                                                    ConfoundWriterVariant variant) {
    std::optional<std::string> name = designMatrixName;
    if (variant == ConfoundWriterVariant::AllKinds) {
        const bool z = confounds.motion != nullptr && confounds.motion->zTransformed;
        return insertBeforeExtension(designMatrixName, z ? "_3DMC_z_HR_z_RVT_z" : "_3DMC_HR_RVT");
    }
    const std::array<std::pair<const ConfoundRecord*, std::string_view>, 3> parts = {{
        {confounds.motion, "_3DMC"}, {confounds.heartRate, "_HR"}, {confounds.respiration, "_RVT"}}};
    for (const auto& [record, part] : parts) {
        if (record == nullptr) continue;
        name = insertBeforeExtension(*name, record->zTransformed ? std::string(part) + "_z" : std::string(part));
        if (!name) return std::nullopt;
    }
    return name;
}

MergeOutcome mergeDesignMatrixWithConfounds(std::istream& designMatrix, std::ostream& output,
                                            const ConfoundSet& confounds,
                                            ConfoundWriterVariant variant,
                                            const std::string& designMatrixName) {
    if (confounds.empty()) {
        logText(errorLine(variant));
        return MergeOutcome::NoConfounds;
    }
    const MergeOutcome outcome = Merge(designMatrix, output, confounds, variant).run();
    if (outcome == MergeOutcome::DesignMatrixUnreadable)
        logText(formatText("The design matrix %s ends early or holds an unreadable value; the new file is incomplete.",
                           designMatrixName.c_str()));
    return outcome;
}

std::string writeDesignMatrixWithConfounds(const std::string& designMatrixName,
                                           const ConfoundRecord* motion,
                                           const ConfoundRecord* heartRate,
                                           const ConfoundRecord* respiration, bool hasMotion,
                                           bool hasHeartRate, bool hasRespiration) {
    // A kind flagged without its record cannot be written.
    if ((hasMotion && motion == nullptr) || (hasHeartRate && heartRate == nullptr) ||
        (hasRespiration && respiration == nullptr)) {
        logText(errorLine(ConfoundWriterVariant::SomeKinds));
        return designMatrixName;
    }
    return writeExtendedDesignMatrix(
        designMatrixName,
        presentRecords(motion, heartRate, respiration, hasMotion, hasHeartRate, hasRespiration),
        ConfoundWriterVariant::SomeKinds);
}

std::string writeDesignMatrixWithAllConfounds(const std::string& designMatrixName,
                                              const ConfoundRecord& motion,
                                              const ConfoundRecord& heartRate,
                                              const ConfoundRecord& respiration) {
    return writeExtendedDesignMatrix(designMatrixName, {&motion, &heartRate, &respiration},
                                     ConfoundWriterVariant::AllKinds);
}
