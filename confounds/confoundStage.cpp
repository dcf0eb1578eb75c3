#include "confounds/confoundStage.h"

#include <memory>

#include "common/text.h"
#include "confounds/confoundRecord.h"
#include "confounds/readConfoundFiles.h"
#include "confounds/writeDesignMatrixWithConfounds.h"
#include "confounds/zTransform.h"
#include "host/hostLog.h"

namespace {

// The reader is chosen by a case-sensitive search for ".rtc" anywhere in the path, folder
// names included.
bool isRtcPath(const char* path) { return containsText(path != nullptr ? path : "", ".rtc"); }

std::unique_ptr<ConfoundRecord> readMotion(const char* path) {
    return isRtcPath(path) ? readMotionEstimatesRtc(path) : readMotionEstimatesSdm(path);
}

std::unique_ptr<ConfoundRecord> readConfounds(const char* path, ConfoundKind kind) {
    return isRtcPath(path) ? readConfoundsRtc(path, kind) : readConfoundsSdm(path, kind);
}

}  // namespace

std::string addConfounds(const std::string& designMatrixName, const char* motionPath,
                         const char* heartRatePath, const char* respirationPath, bool zTransform,
                         bool hasMotion, bool hasHeartRate, bool hasRespiration) try {
    std::unique_ptr<ConfoundRecord> motion;
    std::unique_ptr<ConfoundRecord> heartRate;
    std::unique_ptr<ConfoundRecord> respiration;
    if (hasMotion) motion = readMotion(motionPath);
    if (hasHeartRate) heartRate = readConfounds(heartRatePath, ConfoundKind::HeartRate);
    if (hasRespiration) respiration = readConfounds(respirationPath, ConfoundKind::Respiration);

    if (zTransform) {
        logText("z-transform predictor...");
        if (hasMotion) zTransformMotion(*motion);
        if (hasHeartRate) zTransformConfounds(*heartRate);
        if (hasRespiration) zTransformConfounds(*respiration);
    }

    std::string written = writeDesignMatrixWithConfounds(designMatrixName, motion.get(),
                                                         heartRate.get(), respiration.get(),
                                                         hasMotion, hasHeartRate, hasRespiration);
    releaseConfoundRecord(motion);
    releaseConfoundRecord(heartRate);
    releaseConfoundRecord(respiration);
    return written;
} catch (...) {
    // Readers and writer catch their own failures; what is left (memory exhausted before a
    // record exists) must not reach the host either. The records release themselves.
    logText("Error while converting PRT to SDM with any of 3DMC, heart rate and respiration files.");
    return designMatrixName;
}

std::string addAllConfounds(const std::string& designMatrixName, const char* motionPath,
                            const char* heartRatePath, const char* respirationPath,
                            bool zTransform) try {
    std::unique_ptr<ConfoundRecord> motion = readMotion(motionPath);
    std::unique_ptr<ConfoundRecord> heartRate = readConfounds(heartRatePath, ConfoundKind::HeartRate);
    std::unique_ptr<ConfoundRecord> respiration =
        readConfounds(respirationPath, ConfoundKind::Respiration);

    if (zTransform) {
        logText("z-transform predictor...");
        zTransformMotion(*motion);
        zTransformConfounds(*heartRate);
        zTransformConfounds(*respiration);
    }

    std::string written =
        writeDesignMatrixWithAllConfounds(designMatrixName, *motion, *heartRate, *respiration);
    releaseConfoundRecord(motion);
    releaseConfoundRecord(heartRate);
    releaseConfoundRecord(respiration);
    return written;
} catch (...) {
    logText("Error while converting PRT to SDM with 3DMC, heart rate and respiration files.");
    return designMatrixName;
}
