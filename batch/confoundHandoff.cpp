#include "batch/confoundHandoff.h"

#include "common/text.h"
#include "confounds/confoundStage.h"
#include "host/hostLog.h"

namespace {

constexpr const char* noConfoundsLine = "No confounds found for this protocol.";

void takeConfound(std::string& path, bool& present, const std::string& entry) {
    path = entry;
    present = true;
    logText(formatText("Adding %s for SDM...", entry.c_str()));
}

}  // namespace

ConfoundStage defaultConfoundStage() { return {&addConfounds, &addAllConfounds}; }

void handOffConfounds(const FileList& list, const ProtocolGroup& group,
                      const std::string& designMatrixName, bool zTransform, ConfoundFiles& files,
                      const ConfoundStage& stage) {
    files.hasMotion = false;
    files.hasHeartRate = false;
    files.hasRespiration = false;
    if (group.followersBegin >= group.followersEnd) {
        logText(noConfoundsLine);
        return;
    }
    for (std::size_t i = group.followersBegin; i < group.followersEnd; ++i) {
        const std::string& entry = list.names[i];
        switch (list.kinds[i]) {
            case FileKind::Motion:
                takeConfound(files.motionPath, files.hasMotion, entry);
                break;
            case FileKind::HeartRate:
                takeConfound(files.heartRatePath, files.hasHeartRate, entry);
                break;
            case FileKind::Respiration:
                takeConfound(files.respirationPath, files.hasRespiration, entry);
                break;
            case FileKind::Other:
            case FileKind::Prt:
            case FileKind::Vtc:
                break;
        }
    }
    if (files.hasMotion && files.hasHeartRate && files.hasRespiration) {
        stage.addAllConfounds(designMatrixName, files.motionPath.c_str(),
                              files.heartRatePath.c_str(), files.respirationPath.c_str(), zTransform);
    } else if (files.hasMotion || files.hasHeartRate || files.hasRespiration) {
        stage.addConfounds(designMatrixName, files.motionPath.c_str(), files.heartRatePath.c_str(),
                           files.respirationPath.c_str(), zTransform, files.hasMotion,
                           files.hasHeartRate, files.hasRespiration);
    } else {
        logText(noConfoundsLine);
    }
}
