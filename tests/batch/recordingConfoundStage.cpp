#include "tests/batch/recordingConfoundStage.h"

#include <gtest/gtest.h>

#include "tests/fakehost/fakeHost.h"

namespace {

std::string truth(bool value) { return value ? "true" : "false"; }

void recordCall(const std::string& call) {
    if (FakeHost::active() == nullptr) {
        ADD_FAILURE() << "confound stage called without a fake host: " << call;
        return;
    }
    FakeHost::active()->record(call);
}

std::string recordAddConfounds(const std::string& designMatrixName, const char* motionPath,
                               const char* heartRatePath, const char* respirationPath,
                               bool zTransform, bool hasMotion, bool hasHeartRate,
                               bool hasRespiration) {
    recordCall("addConfounds(" + quoted(designMatrixName) + ", " + quoted(motionPath) + ", " +
               quoted(heartRatePath) + ", " + quoted(respirationPath) + ", " + truth(zTransform) +
               ", " + truth(hasMotion) + ", " + truth(hasHeartRate) + ", " +
               truth(hasRespiration) + ")");
    return "written by addConfounds";
}

std::string recordAddAllConfounds(const std::string& designMatrixName, const char* motionPath,
                                  const char* heartRatePath, const char* respirationPath,
                                  bool zTransform) {
    recordCall("addAllConfounds(" + quoted(designMatrixName) + ", " + quoted(motionPath) + ", " +
               quoted(heartRatePath) + ", " + quoted(respirationPath) + ", " + truth(zTransform) +
               ")");
    return "written by addAllConfounds";
}

}  // namespace

ConfoundStage recordingConfoundStage() { return {&recordAddConfounds, &recordAddAllConfounds}; }
