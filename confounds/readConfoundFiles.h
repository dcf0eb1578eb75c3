// The four readers of confound files. Each returns a new record, also when the file cannot
// be opened (readOk stays true, nothing read) or reading is abandoned (readOk false).
// The path functions load the file and hand its bytes to the matching ...From function,
// which takes the path only for its messages.
#pragma once

#include <memory>
#include <string_view>

#include "confounds/confoundRecord.h"

std::unique_ptr<ConfoundRecord> readMotionEstimatesRtc(const char* path);
std::unique_ptr<ConfoundRecord> readMotionEstimatesSdm(const char* path);
std::unique_ptr<ConfoundRecord> readConfoundsRtc(const char* path, ConfoundKind kind);
std::unique_ptr<ConfoundRecord> readConfoundsSdm(const char* path, ConfoundKind kind);

std::unique_ptr<ConfoundRecord> readMotionEstimatesRtcFrom(std::string_view bytes, const char* path);
std::unique_ptr<ConfoundRecord> readMotionEstimatesSdmFrom(std::string_view bytes, const char* path);
std::unique_ptr<ConfoundRecord> readConfoundsRtcFrom(std::string_view bytes, const char* path,
                                                     ConfoundKind kind);
std::unique_ptr<ConfoundRecord> readConfoundsSdmFrom(std::string_view bytes, const char* path,
                                                     ConfoundKind kind);
