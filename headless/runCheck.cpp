#include "headless/runCheck.h"

#include <algorithm>

#include "formats/sdmFile.h"
#include "formats/textFormat.h"
#include "formats/vtcFile.h"

namespace morvane {
namespace {

// The protocol's file name as the plugin puts it into the header: after the last '/' when
// the entry holds one, else after the last '\'.
std::string protocolFileName(const std::string& entry) {
    const char separator = entry.find('/') != std::string::npos ? '/' : '\\';
    const auto position = entry.find_last_of(separator);
    return position == std::string::npos ? entry : entry.substr(position + 1);
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "\"" : ", \"") + name + "\"";
    return text.empty() ? "none" : text;
}

// Why a listed confound file cannot be used, read whole as an SDM or RTC file; "" when it reads.
std::string confoundFileProblem(const std::string& path) {
    ParseResult<std::string> text = readWholeFile(path);
    if (!text) return text.error;
    const bool rtc = path.find(".rtc") != std::string::npos;
    const ParseResult<SdmContent> content = rtc ? parseRtc(*text.value) : parseSdm(*text.value);
    return content ? std::string() : content.error;
}

// A missing or broken design matrix with confounds, with the confound file that caused it
// named first when one of them cannot be used.
std::string extendedProblem(const ListedGroup& group, const std::string& problem) {
    for (const std::optional<std::string>* path : {&group.motion, &group.heartRate, &group.respiration}) {
        if (!*path) continue;
        const std::string cause = confoundFileProblem(**path);
        if (!cause.empty()) return "the confound file " + **path + " cannot be used (" + cause + "), so " + problem;
    }
    return problem;
}

// "" when the group produced everything it should, else the reason.
std::string groupProblem(const ListedGroup& group, const GroupRecord* record, bool skipFirst, bool zTransform) {
    if (!group.timeCourse) return "no VTC follows it in the list";
    const std::string& vtc = *group.timeCourse;
    if (record == nullptr) return "its VTC " + vtc + " was never linked";
    if (!record->linked) return "its VTC " + vtc + " could not be linked";
    const std::string expectedName = protocolFileName(group.protocol);
    if (record->protocolName != expectedName)
        return "the protocol " + expectedName + " could not be attached to " + vtc;
    if (record->designMatrices.empty()) return "no design matrix was saved for it";
    const SavedDesignMatrix& matrix = record->designMatrices.back();

    std::vector<std::string> expected(record->conditionNames.begin() + (skipFirst && !record->conditionNames.empty()),
                                      record->conditionNames.end());
    expected.push_back("Constant");
    if (matrix.predictorNames != expected)
        return "the design matrix " + matrix.path + " holds the predictors " + joined(matrix.predictorNames) +
               " instead of " + joined(expected);
    ParseResult<SdmContent> saved = readSdmFile(matrix.path);
    if (!saved) return "the design matrix " + matrix.path + " cannot be read back: " + saved.error;
    if (saved.value->names != matrix.predictorNames || saved.value->dataPoints != matrix.dataPoints)
        return "the design matrix " + matrix.path + " was changed after it was saved";

    if (!record->vtcSaved) return "the VTC " + vtc + " was not saved";
    ParseResult<VtcFileHeader> header = readVtcHeader(vtc);
    if (!header) return "the saved VTC " + vtc + " cannot be read: " + header.error;
    if (header.value->protocolNames != std::vector<std::string>{expectedName})
        return "the saved VTC " + vtc + " does not name the protocol " + expectedName;

    if (!group.hasConfounds()) return {};
    long long added = 0;  // files may declare up to 2^31 - 1 predictors each
    const std::pair<const std::optional<std::string>*, EntryKind> kinds[] = {
        {&group.motion, EntryKind::Motion}, {&group.heartRate, EntryKind::HeartRate},
        {&group.respiration, EntryKind::Respiration}};
    for (const auto& [path, kind] : kinds) {
        if (!*path) continue;
        ParseResult<int> count = confoundPredictorCount(**path, kind);
        if (!count) return "the confound file " + **path + " cannot be read: " + count.error;
        added += *count.value;
    }
    const std::string extended = extendedDesignMatrixName(matrix.path, group, zTransform);
    const auto stamp = stampOf(extended);
    if (!stamp) return extendedProblem(group, "the design matrix with confounds " + extended + " was not written");
    const bool unchanged = std::find(matrix.sdmFilesBefore.begin(), matrix.sdmFilesBefore.end(), *stamp) !=
                           matrix.sdmFilesBefore.end();
    if (unchanged) return "the design matrix with confounds " + extended + " was not written in this run";
    ParseResult<SdmContent> content = readSdmFile(extended);
    if (!content)
        return extendedProblem(group, "the design matrix with confounds " + extended + " is incomplete: " + content.error);
    const long long predictors = static_cast<long long>(matrix.predictorNames.size()) + added;
    if (content.value->predictorCount() != predictors || content.value->dataPoints != matrix.dataPoints)
        return extendedProblem(
            group, formatText("the design matrix with confounds %s holds %d predictors and %d data points instead of "
                              "%lld and %d",
                              extended.c_str(), content.value->predictorCount(), content.value->dataPoints, predictors,
                              matrix.dataPoints));
    const std::size_t own = matrix.predictorNames.size() - (matrix.includesConstant ? 1 : 0);
    if (!std::equal(matrix.predictorNames.begin(), matrix.predictorNames.begin() + static_cast<long>(own),
                    content.value->names.begin()) ||
        (matrix.includesConstant && content.value->names.back() != matrix.predictorNames.back()))
        return "the design matrix with confounds " + extended + " does not keep the predictors of " + matrix.path;
    return {};
}

}  // namespace

std::string extendedDesignMatrixName(const std::string& designMatrixPath, const ListedGroup& group, bool zTransform) {
    std::string suffix;
    const char* z = zTransform ? "_z" : "";
    if (group.motion) suffix += std::string("_3DMC") + z;
    if (group.heartRate) suffix += std::string("_HR") + z;
    if (group.respiration) suffix += std::string("_RVT") + z;
    if (designMatrixPath.size() < 4) return designMatrixPath + suffix;
    const std::size_t cut = designMatrixPath.size() - 4;
    return designMatrixPath.substr(0, cut) + suffix + designMatrixPath.substr(cut);
}

ParseResult<int> confoundPredictorCount(const std::string& path, EntryKind kind) {
    ParseResult<std::string> text = readWholeFile(path);
    if (!text) return ParseResult<int>::failure(text.error);
    const bool rtc = path.find(".rtc") != std::string::npos;
    ParseResult<ConfoundFileHeader> header = rtc ? parseRtcHeader(*text.value) : parseSdmHeader(*text.value);
    if (!header) return ParseResult<int>::failure(header.error);
    // Wide: the lowest count less a constant is below the range of an int.
    long long count = header.value->predictorCount;
    if (kind != EntryKind::Motion && header.value->includesConstant != 0) count -= 1;
    return ParseResult<int>::success(static_cast<int>(std::max(count, 0LL)));
}

std::vector<const GroupRecord*> recordsOfGroups(const ListedRun& list, const std::vector<GroupRecord>& records) {
    std::vector<const GroupRecord*> found;
    std::size_t next = 0;  // groups are run in list order; each link record is used once
    for (const ListedGroup& group : list.groups) {
        const GroupRecord* record = nullptr;
        if (group.timeCourse) {
            for (std::size_t i = next; i < records.size(); ++i) {
                if (records[i].vtcPath == *group.timeCourse) {
                    record = &records[i];
                    next = i + 1;
                    break;
                }
            }
        }
        found.push_back(record);
    }
    return found;
}

std::vector<ProtocolFailure> checkRun(const ListedRun& list, const std::vector<GroupRecord>& records,
                                      bool skipFirstCondition, bool zTransform) {
    return checkRun(list, recordsOfGroups(list, records), skipFirstCondition, zTransform);
}

std::vector<ProtocolFailure> checkRun(const ListedRun& list, const std::vector<const GroupRecord*>& groupRecords,
                                      bool skipFirstCondition, bool zTransform) {
    std::vector<ProtocolFailure> failures;
    for (std::size_t index = 0; index < list.groups.size(); ++index) {
        std::string problem = groupProblem(list.groups[index], groupRecords[index], skipFirstCondition, zTransform);
        if (!problem.empty()) failures.push_back({list.groups[index].protocol, std::move(problem), index});
    }
    return failures;
}

}  // namespace morvane
