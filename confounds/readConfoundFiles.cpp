// Placeholder until the token readers land: every reader reports the file and returns an
// empty record.
#include "confounds/readConfoundFiles.h"

#include "common/text.h"
#include "host/hostLog.h"

namespace {
std::unique_ptr<ConfoundRecord> emptyRecord(const char* path, ConfoundKind kind) {
    logText(formatText("Reading file: %s", path != nullptr ? path : ""));
    return makeConfoundRecord(kind, path);
}
}  // namespace

std::unique_ptr<ConfoundRecord> readMotionEstimatesRtc(const char* path) { return emptyRecord(path, ConfoundKind::Motion); }
std::unique_ptr<ConfoundRecord> readMotionEstimatesSdm(const char* path) { return emptyRecord(path, ConfoundKind::Motion); }
std::unique_ptr<ConfoundRecord> readConfoundsRtc(const char* path, ConfoundKind kind) { return emptyRecord(path, kind); }
std::unique_ptr<ConfoundRecord> readConfoundsSdm(const char* path, ConfoundKind kind) { return emptyRecord(path, kind); }
std::unique_ptr<ConfoundRecord> readMotionEstimatesRtcFrom(std::string_view, const char* path) { return emptyRecord(path, ConfoundKind::Motion); }
std::unique_ptr<ConfoundRecord> readMotionEstimatesSdmFrom(std::string_view, const char* path) { return emptyRecord(path, ConfoundKind::Motion); }
std::unique_ptr<ConfoundRecord> readConfoundsRtcFrom(std::string_view, const char* path, ConfoundKind kind) { return emptyRecord(path, kind); }
std::unique_ptr<ConfoundRecord> readConfoundsSdmFrom(std::string_view, const char* path, ConfoundKind kind) { return emptyRecord(path, kind); }
