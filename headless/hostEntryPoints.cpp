// The host's exported entry points, looked up by name by the plugin in this program. The
// 22 that the plugin calls work on the session; the others are empty. No exception leaves
// an entry point: the plugin cannot handle one.
#include "headless/hostEntryPoints.h"

#include <exception>
#include <iostream>
#include <type_traits>

#include "headless/hostSession.h"
#include "host/hostEntryPointStubs.h"

namespace morvane {
namespace {

HostSession* session = nullptr;

template <typename Result, typename Call>
Result guarded(const char* name, Result failure, Call call) {
    if (session == nullptr) return failure;
    try {
        return call(*session);
    } catch (const std::exception& error) {
        std::cerr << "morvane: " << name << " failed: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "morvane: " << name << " failed\n";
    }
    return failure;
}

template <typename Call>
void guardedVoid(const char* name, Call call) {
    guarded<int>(name, 0, [&](HostSession& s) {
        call(s);
        return 0;
    });
}

}  // namespace

void setEntryPointSession(HostSession* newSession) { session = newSession; }

}  // namespace morvane

using morvane::guarded;
using morvane::guardedVoid;
using morvane::HostSession;
using morvane::ProtocolConditionRecord;
using morvane::ProtocolRecord;
using morvane::VtcHeader;

QUORVEL_DEFINE_UNTYPED_HOST_STUBS()

extern "C" {

QUORVEL_HOST_EXPORT void zrGetVersionOfMorvaneZR(int* major, int* minor, int* patch) {
    guardedVoid("zrGetVersionOfMorvaneZR", [&](HostSession& s) {
        const auto& version = s.options().version;
        if (major) *major = version[0];
        if (minor) *minor = version[1];
        if (patch) *patch = version[2];
    });
}

QUORVEL_HOST_EXPORT void zrShowLogTab() {}

QUORVEL_HOST_EXPORT void zrLogText(const char* text) {
    guardedVoid("zrLogText", [&](HostSession& s) { s.logText(text); });
}

QUORVEL_HOST_EXPORT void zrMessageBox(const char* text) {
    guardedVoid("zrMessageBox", [&](HostSession& s) { s.messageBox(text); });
}

QUORVEL_HOST_EXPORT int zrYesNoMessageBox(const char* question) {
    return guarded("zrYesNoMessageBox", 0, [&](HostSession& s) { return s.yesNo(question); });
}

QUORVEL_HOST_EXPORT float zrGetFloatInput(const char* prompt, float initial, float lowest, float highest) {
    return guarded("zrGetFloatInput", morvane::cancelledFloatInput,
                   [&](HostSession& s) { return s.floatInput(prompt, initial, lowest, highest); });
}

QUORVEL_HOST_EXPORT int zrGetOpenFileName(const char* title, const char*, const char* filter, char* pathBuffer512) {
    return guarded("zrGetOpenFileName", 0,
                   [&](HostSession& s) { return s.openFileName(title, filter, pathBuffer512); });
}

QUORVEL_HOST_EXPORT void* zrGetCurrentVMR(int* dimX, int* dimY, int* dimZ) {
    return guarded<void*>("zrGetCurrentVMR", nullptr, [&](HostSession& s) { return s.currentVmr(dimX, dimY, dimZ); });
}

QUORVEL_HOST_EXPORT int zrLinkVTCToCurrentVMR(const char* vtcPath, int) {
    return guarded("zrLinkVTCToCurrentVMR", 0, [&](HostSession& s) { return s.linkVtc(vtcPath); });
}

QUORVEL_HOST_EXPORT int zrGetHeaderOfVTCOfCurrentVMR(VtcHeader* header) {
    return guarded("zrGetHeaderOfVTCOfCurrentVMR", 0, [&](HostSession& s) { return s.getVtcHeader(header); });
}

QUORVEL_HOST_EXPORT int zrSetHeaderOfVTCOfCurrentVMR(VtcHeader* header) {
    return guarded("zrSetHeaderOfVTCOfCurrentVMR", 0, [&](HostSession& s) { return s.setVtcHeader(header); });
}

QUORVEL_HOST_EXPORT int zrSaveVTCOfCurrentVMR(const char* vtcPath) {
    return guarded("zrSaveVTCOfCurrentVMR", 0, [&](HostSession& s) { return s.saveVtc(vtcPath); });
}

QUORVEL_HOST_EXPORT void zrClearProtocol(bool) {
    guardedVoid("zrClearProtocol", [&](HostSession& s) { s.clearProtocol(); });
}

QUORVEL_HOST_EXPORT int zrGetProtocol(ProtocolRecord* protocol) {
    return guarded("zrGetProtocol", 0, [&](HostSession& s) { return s.getProtocol(protocol); });
}

QUORVEL_HOST_EXPORT int zrGetProtocolCondition(int index, ProtocolConditionRecord* condition) {
    return guarded("zrGetProtocolCondition", 0,
                   [&](HostSession& s) { return s.getProtocolCondition(index, condition); });
}

QUORVEL_HOST_EXPORT int zrClearDesignMatrix() {
    return guarded("zrClearDesignMatrix", 0, [&](HostSession& s) { return s.clearDesignMatrix(); });
}

QUORVEL_HOST_EXPORT int zrAddPredictor(const char* name) {
    return guarded("zrAddPredictor", 0, [&](HostSession& s) { return s.addPredictor(name); });
}

QUORVEL_HOST_EXPORT int zrSetPredictorValuesFromConditionName(const char* predictorName, const char* conditionName,
                                                              float value) {
    return guarded("zrSetPredictorValuesFromConditionName", 0, [&](HostSession& s) {
        return s.setPredictorValuesFromConditionName(predictorName, conditionName, value);
    });
}

QUORVEL_HOST_EXPORT int zrApplyTwoGammaHRFToPredictorWithName(const char* predictorName) {
    return guarded("zrApplyTwoGammaHRFToPredictorWithName", 0, [&](HostSession& s) {
        return s.applyResponseFunction(predictorName, morvane::ResponseFunction::TwoGamma);
    });
}

QUORVEL_HOST_EXPORT int zrApplyBoyntonHRFToPredictorWithName(const char* predictorName) {
    return guarded("zrApplyBoyntonHRFToPredictorWithName", 0, [&](HostSession& s) {
        return s.applyResponseFunction(predictorName, morvane::ResponseFunction::Boynton);
    });
}

QUORVEL_HOST_EXPORT float* zrGetPredictor(int index) {
    return guarded<float*>("zrGetPredictor", nullptr, [&](HostSession& s) { return s.getPredictor(index); });
}

QUORVEL_HOST_EXPORT int zrSaveSingleStudyGLMDesignMatrix(const char* sdmPath) {
    return guarded("zrSaveSingleStudyGLMDesignMatrix", 0, [&](HostSession& s) { return s.saveDesignMatrix(sdmPath); });
}

}  // extern "C"

// Every entry point the plugin calls has the signature its table expects.
namespace morvane {
#define MORVANE_CHECK_TYPED(name, result, parameters) \
    static_assert(std::is_same_v<decltype(&::name), result(*) parameters>, #name " has the wrong signature");
#define MORVANE_SKIP_UNTYPED(name)
QUORVEL_HOST_ENTRY_POINTS(MORVANE_CHECK_TYPED, MORVANE_SKIP_UNTYPED)
#undef MORVANE_CHECK_TYPED
#undef MORVANE_SKIP_UNTYPED
}  // namespace morvane
