// A scripted stand-in for the host, for unit tests.
//
// A test fills in the script (answers, results, records), calls install(), runs plugin code,
// and then compares `transcript` with what it expects. install() points every entry of the
// global `hostFunctions` at this fake; the returned guard restores the previous table.
//
//     FakeHost host;
//     host.yesNoAnswers = {1, 0, 1};
//     host.openFilePath = "D:\\study\\list.txt";
//     auto installed = host.install();
//     runBatch();
//     EXPECT_THAT(host.transcript, ElementsAreArray(expected));
//
// The transcript holds one entry per host call, in call order:
//   - a log line as "log: " followed by the text exactly as handed over;
//   - every other call as its name and arguments, texts in double quotes without escaping,
//     numbers as printf "%g" / "%d", booleans as true/false, records by the field that
//     matters: zrLinkVTCToCurrentVMR("D:\study\run1.vtc", 1),
//     zrSetHeaderOfVTCOfCurrentVMR("run1.prt"), zrGetProtocolCondition(2).
//
// The fake also checks, and reports as a test failure (ADD_FAILURE):
//   - a call for which the script holds no answer (zrYesNoMessageBox with an empty queue);
//   - a record handed to the host that is not zero-initialised (header, protocol, condition);
//   - a header handed back whose bytes outside the protocol name (and after its NUL) differ
//     from what the fake filled in, or whose protocol name has no NUL;
//   - a header handed back without one fetched first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "host/hostFunctionTable.h"
#include "host/hostRecords.h"

// One condition of the protocol, as zrGetProtocolCondition hands it out.
struct FakeCondition {
    std::string name;
    std::vector<std::int32_t> starts;  // interval arrays stay the fake's, as they stay the host's
    std::vector<std::int32_t> ends;
    std::int32_t color = 0;
    // What the call returns. With 0 the fake still fills the record, so that a plugin that
    // uses an undelivered condition anyway shows it in the transcript.
    int result = 1;
};

// One predictor of the host's design matrix.
struct FakePredictor {
    std::string name;
    std::unique_ptr<float[]> values;  // exactly `count` values, so a write past them is caught
    std::size_t count = 0;

    std::vector<float> valueList() const { return {values.get(), values.get() + count}; }
};

struct FakeHost {
    FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;
    ~FakeHost();

    // ---- Script --------------------------------------------------------------------------
    int version[3] = {2, 9, 5};         // zrGetVersionOfMorvaneZR
    bool vmrPresent = true;             // zrGetCurrentVMR returns non-null
    std::deque<int> yesNoAnswers;       // one per zrYesNoMessageBox, consumed in order
    float floatAnswer = 1.0f;           // zrGetFloatInput
    int openFileResult = 1;             // zrGetOpenFileName; 0 is Cancel
    // Written into the 512-byte buffer with its NUL; a path of 512 or more characters fills
    // all 512 bytes with its first characters and no NUL.
    std::string openFilePath;
    std::deque<int> linkResults;        // zrLinkVTCToCurrentVMR, per call; then the default
    int defaultLinkResult = 1;
    std::deque<int> headerResults;      // zrGetHeaderOfVTCOfCurrentVMR, per call
    int defaultHeaderResult = 1;
    // What zrGetHeaderOfVTCOfCurrentVMR fills in. Every byte holds a non-zero pattern, so that
    // a changed byte shows; numberOfVolumes is 5. Not filled when the result is 0.
    VtcHeader header;
    std::deque<int> protocolResults;    // zrGetProtocol, per call
    int defaultProtocolResult = 1;
    // What zrGetProtocol fills in (only when the result is 1). When its protocolFileName is
    // empty, the fake names the protocol as a host would: the folder of the last linked VTC
    // followed by the protocol name of the last header handed back.
    ProtocolRecord protocol{};
    std::vector<FakeCondition> conditions;  // by index; an index past the end returns 0
    bool predictorValuesAvailable = true;   // false: zrGetPredictor returns null
    float freshPredictorValue = -7.0f;      // the value of every point of a new predictor
    int predictorLength = -1;               // points per predictor; -1: the header's volumes
    std::deque<int> saveResults;            // zrSaveSingleStudyGLMDesignMatrix, per call
    int defaultSaveResult = 1;
    // When not empty, a successful zrSaveSingleStudyGLMDesignMatrix writes this text to the
    // path, so that code reading the saved design matrix back finds it.
    std::string designMatrixFileText;

    // ---- Observations ----------------------------------------------------------------------
    std::vector<std::string> transcript;
    std::vector<FakePredictor> designMatrix;  // since the last zrClearDesignMatrix
    std::vector<std::string> logLines;        // the texts of zrLogText alone, in order

    // Appends an entry to the transcript; for stand-ins of plugin parts that tests inject
    // (a recording confound stage), so their calls land in the same order.
    void record(std::string entry);

    // The fake that is installed at the moment, or null.
    static FakeHost* active();

    class Installation {
    public:
        Installation(const Installation&) = delete;
        Installation& operator=(const Installation&) = delete;
        ~Installation();

    private:
        friend struct FakeHost;
        Installation(FakeHost* previousFake, const HostFunctionTable& previousTable);
        FakeHost* previousFake;
        HostFunctionTable previousTable;
    };

    // Points `hostFunctions` at this fake until the returned guard goes.
    [[nodiscard]] Installation install();

    // ---- Used by the fake's entry points -----------------------------------------------------
    VtcHeader headerHandedOut{};
    bool headerWasHandedOut = false;
    std::string lastLinkedVtc;
    std::string lastProtocolName;
};

// Renders a text argument as the transcript shows it.
std::string quoted(const std::string& text);

// Writes a text into a fixed text field of a host record, cut to fit, with its NUL.
template <std::size_t N>
void setRecordText(char (&field)[N], const std::string& text) {
    const std::size_t length = text.size() < N ? text.size() : N - 1;
    text.copy(field, length);
    field[length] = '\0';
}
