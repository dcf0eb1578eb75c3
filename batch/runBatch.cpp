#include "batch/runBatch.h"

#include <array>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "batch/fileList.h"
#include "common/text.h"
#include "designmatrix/protocolToDesignMatrix.h"
#include "host/hostLog.h"

namespace {

constexpr float cancelValue = -101.0f;
constexpr const char* cancelledLine = "Cancelled further operations.";

const char* yesNo(bool value) { return value ? "yes" : "no"; }

// The list the user picks, or no list (cancelled, or a path the host could not end).
std::optional<std::string> askListPath() {
    std::array<char, 512> pathBuffer{};
    const int chosen = hostFunctions.zrGetOpenFileName(
        "Please select the file list", "", "PRT-VTC(-SDM) file list (*.txt)", pathBuffer.data());
    if (chosen == 0) {
        logText(cancelledLine);
        return std::nullopt;
    }
    // A host that fills all 512 bytes leaves no NUL; its path would be cut.
    if (std::memchr(pathBuffer.data(), '\0', pathBuffer.size()) == nullptr) {
        logText(formatText("The path of the chosen file list is longer than %zu characters.",
                           pathBuffer.size() - 1));
        return std::nullopt;
    }
    return std::string(pathBuffer.data());
}

// Writes the protocol's file name into the header and hands the header back, which attaches
// the protocol. Every other byte goes back as the host filled it.
void attachProtocol(VtcHeader& header, const std::string& protocolName) {
    std::memcpy(header.protocolName, protocolName.c_str(), protocolName.size() + 1);
    hostFunctions.zrSetHeaderOfVTCOfCurrentVMR(&header);
}

struct RunState {
    RunSettings settings;
    bool runSucceeded = true;
    ConfoundFiles confoundFiles;
};

void runProtocolGroup(const FileList& list, std::size_t k, RunState& run,
                      const ConfoundStage& stage) {
    const ProtocolGroup group = protocolGroup(list, k);
    if (!group.timeCourse) {
        logText("No VTC file found for PRT");
        return;
    }
    const std::string& vtcPath = list.names[*group.timeCourse];
    logText(formatText("\nLoad %s to VMR...", vtcPath.c_str()));
    if (hostFunctions.zrLinkVTCToCurrentVMR(vtcPath.c_str(), 1) != 1) {
        run.runSucceeded = false;
        logText("Did not succeed in linking and generating.");
        return;
    }
    VtcHeader header{};
    run.runSucceeded = hostFunctions.zrGetHeaderOfVTCOfCurrentVMR(&header) != 0;
    if (!run.runSucceeded) {
        logText("Not able to retrieve VTC header information.");
        return;
    }
    hostFunctions.zrClearProtocol(false);
    hostFunctions.zrClearDesignMatrix();

    // Entries hold at most 511 characters, so the name fits the header's field with its NUL.
    const std::string& prtPath = list.names[group.protocol];
    const std::string protocolName = fileNameFromPath(prtPath.c_str(), false).value_or(std::string());
    static_assert(sizeof(VtcHeader::protocolName) > maxEntryLength);
    attachProtocol(header, protocolName);
    logText(formatText("Linking %s to VTC...", protocolName.c_str()));

    SdmPathBuffer sdmName{};
    run.runSucceeded = protocolToDesignMatrix(run.settings.hrfChoice, true,
                                              run.settings.predictorValue,
                                              run.settings.skipFirstCondition, true,
                                              header.numberOfVolumes, sdmName, vtcPath.c_str());
    hostFunctions.zrSaveVTCOfCurrentVMR(vtcPath.c_str());
    logText(formatText("New SDM name: %s", sdmName.data()));
    handOffConfounds(list, group, std::string(sdmName.data()), run.settings.zTransform,
                     run.confoundFiles, stage);
}

// Everything between the VMR check and the closing line.
void convert(const ConfoundStage& stage) {
    RunState run;
    run.settings = askRunSettings();
    if (run.settings.cancelled) {
        logText(cancelledLine);
        return;
    }
    const std::optional<std::string> listPath = askListPath();
    if (!listPath) return;
    // A list that cannot be opened or used has logged why; nothing was converted.
    std::optional<FileList> list = readFileList(*listPath);
    if (!list) return;
    classifyFileList(*list);
    for (std::size_t k = 0; k < list->protocolPositions.size(); ++k) {
        runProtocolGroup(*list, k, run, stage);
    }
    if (run.runSucceeded) logText("*.sdm file(s) available in the *.vtc file directory.");
}

}  // namespace

RunSettings askRunSettings() {
    RunSettings settings;
    settings.hrfChoice = hostFunctions.zrYesNoMessageBox(
        "Would you like to apply the 2-gamma HRF (click 'Yes') or the Boynton HRF (click 'No')?");
    logText(formatText("HRF function: %s", settings.hrfChoice == 1 ? "2-gamma" : "Boynton"));

    settings.predictorValue = hostFunctions.zrGetFloatInput(
        "Please enter the value for the predictor:", 1.0f, -100.0f, 100.0f);
    settings.cancelled = settings.predictorValue == cancelValue;
    logText(formatText("Predictor value: %f", static_cast<double>(settings.predictorValue)));

    settings.skipFirstCondition =
        hostFunctions.zrYesNoMessageBox(
            "Skip first condition of protocol for creation of design matrix (if this is the "
            "fixation condition)?") != 0;
    logText(formatText("Set to skip first condition: %s", yesNo(settings.skipFirstCondition)));

    settings.zTransform =
        hostFunctions.zrYesNoMessageBox("Would you like to z-transform the confound(s)?") != 0;
    logText(formatText("z-transform the confound(s): %s", yesNo(settings.zTransform)));
    return settings;
}

bool runBatch(const ConfoundStage& stage) {
    hostFunctions.zrShowLogTab();
    logText("\nquorvel (v" QUORVEL_VERSION ")> Started...");

    int dimX = 0;
    int dimY = 0;
    int dimZ = 0;
    if (hostFunctions.zrGetCurrentVMR(&dimX, &dimY, &dimZ) == nullptr) {
        hostFunctions.zrMessageBox(
            "This plugin requires that a VMR document is available and selected in Morvane.");
        logText("No VMR present, action cancelled.");
        return false;
    }

    // Nothing may be thrown back into the host: running out of memory ends the run with a line.
    try {
        convert(stage);
    } catch (const std::exception& error) {
        logText(formatText("The run stopped on an unexpected error: %s", error.what()));
    }
    logText("Finished.\n");
    return true;
}

bool runBatch() { return runBatch(defaultConfoundStage()); }
