#include "tests/fakehost/fakeHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <utility>

namespace {

FakeHost* installedFake = nullptr;

FakeHost& fake() {
    // Entry points are only reachable while a fake is installed.
    return *installedFake;
}

std::string number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string truth(bool value) { return value ? "true" : "false"; }

int takeNext(std::deque<int>& queue, int otherwise) {
    if (queue.empty()) return otherwise;
    const int next = queue.front();
    queue.pop_front();
    return next;
}

template <typename Record>
void expectZeroed(const Record* record, const char* what) {
    if (record == nullptr) {
        ADD_FAILURE() << what << " handed to the host as a null pointer";
        return;
    }
    unsigned char zero[sizeof(Record)] = {};
    if (std::memcmp(record, zero, sizeof(Record)) != 0) {
        ADD_FAILURE() << what << " handed to the host is not zero-initialised";
    }
}

void copyText(char* field, std::size_t fieldSize, const std::string& text) {
    const std::size_t length = std::min(text.size(), fieldSize - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string folderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// ---- The 22 entry points the plugin calls --------------------------------------------------

void fakeGetVersion(int* major, int* minor, int* patch) {
    fake().record("zrGetVersionOfMorvaneZR()");
    *major = fake().version[0];
    *minor = fake().version[1];
    *patch = fake().version[2];
}

void fakeShowLogTab() { fake().record("zrShowLogTab()"); }

void fakeLogText(const char* text) {
    fake().logLines.emplace_back(text);
    fake().record("log: " + std::string(text));
}

void fakeMessageBox(const char* text) { fake().record("zrMessageBox(" + quoted(text) + ")"); }

int fakeYesNoMessageBox(const char* question) {
    fake().record("zrYesNoMessageBox(" + quoted(question) + ")");
    if (fake().yesNoAnswers.empty()) {
        ADD_FAILURE() << "unscripted question: " << question;
        return 0;
    }
    return takeNext(fake().yesNoAnswers, 0);
}

float fakeGetFloatInput(const char* prompt, float initial, float lowest, float highest) {
    fake().record("zrGetFloatInput(" + quoted(prompt) + ", " + number(initial) + ", " +
                  number(lowest) + ", " + number(highest) + ")");
    return fake().floatAnswer;
}

int fakeGetOpenFileName(const char* title, const char* initialDirectory, const char* filter,
                        char* pathBuffer512) {
    fake().record("zrGetOpenFileName(" + quoted(title) + ", " + quoted(initialDirectory) + ", " +
                  quoted(filter) + ")");
    if (fake().openFileResult == 0) return 0;
    const std::string& path = fake().openFilePath;
    if (path.size() >= 512) {
        std::memcpy(pathBuffer512, path.data(), 512);
    } else {
        std::memcpy(pathBuffer512, path.c_str(), path.size() + 1);
    }
    return fake().openFileResult;
}

void* fakeGetCurrentVMR(int* dimX, int* dimY, int* dimZ) {
    fake().record("zrGetCurrentVMR()");
    *dimX = 256;
    *dimY = 256;
    *dimZ = 256;
    static int vmrDocument = 0;
    return fake().vmrPresent ? &vmrDocument : nullptr;
}

int fakeLinkVTC(const char* vtcPath, int mode) {
    fake().record("zrLinkVTCToCurrentVMR(" + quoted(vtcPath) + ", " + std::to_string(mode) + ")");
    fake().lastLinkedVtc = vtcPath;
    return takeNext(fake().linkResults, fake().defaultLinkResult);
}

int fakeGetHeader(VtcHeader* header) {
    fake().record("zrGetHeaderOfVTCOfCurrentVMR()");
    expectZeroed(header, "VtcHeader");
    const int result = takeNext(fake().headerResults, fake().defaultHeaderResult);
    if (result != 0 && header != nullptr) {
        *header = fake().header;
        fake().headerHandedOut = fake().header;
        fake().headerWasHandedOut = true;
    }
    return result;
}

int fakeSetHeader(VtcHeader* header) {
    const char* nameStart = header->protocolName;
    const void* nul = std::memchr(nameStart, '\0', sizeof header->protocolName);
    if (nul == nullptr) {
        fake().record("zrSetHeaderOfVTCOfCurrentVMR(<protocol name without NUL>)");
        ADD_FAILURE() << "protocol name handed back without its NUL";
        return 1;
    }
    const std::string name(nameStart);
    fake().record("zrSetHeaderOfVTCOfCurrentVMR(" + quoted(name) + ")");
    fake().lastProtocolName = name;
    if (!fake().headerWasHandedOut) {
        ADD_FAILURE() << "header handed back without one fetched first";
        return 1;
    }
    fake().headerWasHandedOut = false;
    const auto* given = reinterpret_cast<const unsigned char*>(&fake().headerHandedOut);
    const auto* back = reinterpret_cast<const unsigned char*>(header);
    const std::size_t nameOffset = offsetof(VtcHeader, protocolName);
    const std::size_t firstHostByteAfterName = nameOffset + name.size() + 1;
    for (std::size_t i = 0; i < sizeof(VtcHeader); ++i) {
        const bool ownedByPlugin = i >= nameOffset && i < firstHostByteAfterName;
        if (!ownedByPlugin && given[i] != back[i]) {
            ADD_FAILURE() << "header byte " << i << " changed by the plugin";
            break;
        }
    }
    return 1;
}

int fakeSaveVTC(const char* vtcPath) {
    fake().record("zrSaveVTCOfCurrentVMR(" + quoted(vtcPath) + ")");
    return 1;
}

void fakeClearProtocol(bool flag) { fake().record("zrClearProtocol(" + truth(flag) + ")"); }

int fakeGetProtocol(ProtocolRecord* protocol) {
    fake().record("zrGetProtocol()");
    expectZeroed(protocol, "ProtocolRecord");
    const int result = takeNext(fake().protocolResults, fake().defaultProtocolResult);
    if (result == 1 && protocol != nullptr) {
        *protocol = fake().protocol;
        if (protocol->protocolFileName[0] == '\0') {
            copyText(protocol->protocolFileName, sizeof protocol->protocolFileName,
                     folderOf(fake().lastLinkedVtc) + fake().lastProtocolName);
        }
    }
    return result;
}

int fakeGetProtocolCondition(int index, ProtocolConditionRecord* condition) {
    fake().record("zrGetProtocolCondition(" + std::to_string(index) + ")");
    expectZeroed(condition, "ProtocolConditionRecord");
    if (index < 0 || static_cast<std::size_t>(index) >= fake().conditions.size()) return 0;
    FakeCondition& scripted = fake().conditions[static_cast<std::size_t>(index)];
    copyText(condition->conditionName, sizeof condition->conditionName, scripted.name);
    condition->numberOfIntervals =
        static_cast<std::int32_t>(std::min(scripted.starts.size(), scripted.ends.size()));
    condition->intervalStarts = scripted.starts.data();
    condition->intervalEnds = scripted.ends.data();
    condition->conditionColor = scripted.color;
    return scripted.result;
}

int fakeClearDesignMatrix() {
    fake().record("zrClearDesignMatrix()");
    fake().designMatrix.clear();
    return 1;
}

int fakeAddPredictor(const char* name) {
    fake().record("zrAddPredictor(" + quoted(name) + ")");
    FakeHost& host = fake();
    const int length = host.predictorLength >= 0 ? host.predictorLength
                                                 : std::max(0, host.header.numberOfVolumes);
    FakePredictor predictor;
    predictor.name = name;
    predictor.count = static_cast<std::size_t>(length);
    predictor.values = std::make_unique<float[]>(predictor.count);
    std::fill_n(predictor.values.get(), predictor.count, host.freshPredictorValue);
    host.designMatrix.push_back(std::move(predictor));
    return 1;
}

int fakeSetPredictorValues(const char* predictorName, const char* conditionName, float value) {
    fake().record("zrSetPredictorValuesFromConditionName(" + quoted(predictorName) + ", " +
                  quoted(conditionName) + ", " + number(value) + ")");
    return 1;
}

int fakeApplyTwoGamma(const char* predictorName) {
    fake().record("zrApplyTwoGammaHRFToPredictorWithName(" + quoted(predictorName) + ")");
    return 1;
}

int fakeApplyBoynton(const char* predictorName) {
    fake().record("zrApplyBoyntonHRFToPredictorWithName(" + quoted(predictorName) + ")");
    return 1;
}

float* fakeGetPredictor(int index) {
    fake().record("zrGetPredictor(" + std::to_string(index) + ")");
    FakeHost& host = fake();
    if (!host.predictorValuesAvailable || index < 0 ||
        static_cast<std::size_t>(index) >= host.designMatrix.size()) {
        return nullptr;
    }
    return host.designMatrix[static_cast<std::size_t>(index)].values.get();
}

int fakeSaveDesignMatrix(const char* sdmPath) {
    fake().record("zrSaveSingleStudyGLMDesignMatrix(" + quoted(sdmPath) + ")");
    const int result = takeNext(fake().saveResults, fake().defaultSaveResult);
    if (result != 0 && !fake().designMatrixFileText.empty()) {
        std::ofstream file(sdmPath, std::ios::binary);
        file << fake().designMatrixFileText;
        if (!file) ADD_FAILURE() << "the fake could not write " << sdmPath;
    }
    return result;
}

// ---- The entry points the plugin binds but never calls ----------------------------------------

#define QUORVEL_FAKE_SKIP_TYPED(name, result, parameters)
#define QUORVEL_FAKE_UNTYPED(name) \
    void fakeUntyped_##name() { fake().record(#name "()"); }
QUORVEL_HOST_ENTRY_POINTS(QUORVEL_FAKE_SKIP_TYPED, QUORVEL_FAKE_UNTYPED)
#undef QUORVEL_FAKE_UNTYPED

HostFunctionTable fakeTable() {
    HostFunctionTable table;
#define QUORVEL_FAKE_BIND_UNTYPED(name) table.name = &fakeUntyped_##name;
    QUORVEL_HOST_ENTRY_POINTS(QUORVEL_FAKE_SKIP_TYPED, QUORVEL_FAKE_BIND_UNTYPED)
#undef QUORVEL_FAKE_BIND_UNTYPED
#undef QUORVEL_FAKE_SKIP_TYPED
    table.zrGetVersionOfMorvaneZR = &fakeGetVersion;
    table.zrShowLogTab = &fakeShowLogTab;
    table.zrLogText = &fakeLogText;
    table.zrMessageBox = &fakeMessageBox;
    table.zrYesNoMessageBox = &fakeYesNoMessageBox;
    table.zrGetFloatInput = &fakeGetFloatInput;
    table.zrGetOpenFileName = &fakeGetOpenFileName;
    table.zrGetCurrentVMR = &fakeGetCurrentVMR;
    table.zrLinkVTCToCurrentVMR = &fakeLinkVTC;
    table.zrGetHeaderOfVTCOfCurrentVMR = &fakeGetHeader;
    table.zrSetHeaderOfVTCOfCurrentVMR = &fakeSetHeader;
    table.zrSaveVTCOfCurrentVMR = &fakeSaveVTC;
    table.zrClearProtocol = &fakeClearProtocol;
    table.zrGetProtocol = &fakeGetProtocol;
    table.zrGetProtocolCondition = &fakeGetProtocolCondition;
    table.zrClearDesignMatrix = &fakeClearDesignMatrix;
    table.zrAddPredictor = &fakeAddPredictor;
    table.zrSetPredictorValuesFromConditionName = &fakeSetPredictorValues;
    table.zrApplyTwoGammaHRFToPredictorWithName = &fakeApplyTwoGamma;
    table.zrApplyBoyntonHRFToPredictorWithName = &fakeApplyBoynton;
    table.zrGetPredictor = &fakeGetPredictor;
    table.zrSaveSingleStudyGLMDesignMatrix = &fakeSaveDesignMatrix;
    return table;
}

}  // namespace

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

FakeHost::FakeHost() {
    auto* bytes = reinterpret_cast<unsigned char*>(&header);
    for (std::size_t i = 0; i < sizeof header; ++i) {
        bytes[i] = static_cast<unsigned char>((i * 31 + 7) % 251 + 1);
    }
    header.numberOfVolumes = 5;
}

FakeHost::~FakeHost() {
    if (installedFake == this) ADD_FAILURE() << "FakeHost destroyed while installed";
}

void FakeHost::record(std::string entry) { transcript.push_back(std::move(entry)); }

FakeHost* FakeHost::active() { return installedFake; }

FakeHost::Installation::Installation(FakeHost* previousFake, const HostFunctionTable& previousTable)
    : previousFake(previousFake), previousTable(previousTable) {}

FakeHost::Installation::~Installation() {
    hostFunctions = previousTable;
    installedFake = previousFake;
}

FakeHost::Installation FakeHost::install() {
    FakeHost* const previousFake = installedFake;
    const HostFunctionTable previousTable = hostFunctions;
    installedFake = this;
    hostFunctions = fakeTable();
    return Installation(previousFake, previousTable);
}
