#include "designmatrix/protocolToDesignMatrix.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/text.h"
#include "designmatrix/protocolReport.h"
#include "designmatrix/recordText.h"
#include "host/hostLog.h"

namespace {

// The path the host saves the design matrix under.
std::string designMatrixPath(const std::string& protocolFileName, const char* vtcPath) {
    std::string stem;
    if (vtcPath != nullptr && vtcPath[0] != '\0') {
        const std::string protocolName =
            fileNameFromPath(protocolFileName.c_str(), true).value_or(std::string());
        const std::string joined = appendToFileStem(vtcPath, protocolName.c_str(), '_');
        stem = stripExtension(joined.c_str());
    } else {
        stem = stripExtension(protocolFileName.c_str());
    }
    return stem + ".sdm";
}

void addConstant(std::size_t predictorsAdded, std::int32_t numberOfVolumes) {
    logText("Adding constant predictor...");
    hostFunctions.zrAddPredictor("Constant");
    // The host numbers predictors from 0 in the order of adding, so the constant follows the
    // condition predictors actually made.
    const int index = static_cast<int>(predictorsAdded);
    logText(formatText("Try to fill predictor number %d (constant).", index + 1));
    float* values = hostFunctions.zrGetPredictor(index);
    if (values == nullptr) {
        logText(formatText("No values for predictor number %d (constant); the constant "
                           "predictor is left as it is.",
                           index + 1));
        return;
    }
    for (std::int32_t i = 0; i < numberOfVolumes; ++i) values[i] = 1.0f;
}

}  // namespace

bool protocolToDesignMatrix(std::int32_t hrfChoice, bool logProtocolReport, float predictorValue,
                            bool skipFirstCondition, bool addConstantPredictor,
                            std::int32_t numberOfVolumes, SdmPathBuffer& sdmNameOut,
                            const char* vtcPath) {
    ProtocolRecord protocol{};
    if (hostFunctions.zrGetProtocol(&protocol) != 1) {
        logText("The stimulation protocol could not be retrieved.\nPlease load a protocol first.");
        return false;
    }
    const std::string protocolFileName = recordText(protocol.protocolFileName);
    if (logProtocolReport) logText(protocolReport(protocol));

    // Only conditions the host delivered get a predictor: an undelivered record holds nothing
    // the host wrote.
    logText("Reading protocol conditions...");
    std::string conditionReport = "Conditions:\n";
    const int conditionCount = std::max(0, protocol.numberOfConditions);
    std::vector<std::string> predictorNames;
    for (int i = 0; i < conditionCount; ++i) {
        ProtocolConditionRecord condition{};
        if (hostFunctions.zrGetProtocolCondition(i, &condition) == 0) continue;
        conditionReport += conditionReportEntry(i, condition);
        if (i == 0 && skipFirstCondition) continue;
        predictorNames.push_back(recordText(condition.conditionName));
    }
    if (logProtocolReport) logText(conditionReport);

    hostFunctions.zrClearDesignMatrix();
    const bool twoGamma = hrfChoice == 1;
    logText(formatText("Applying %s with predictor value: %f...",
                       twoGamma ? "2-gamma HRF" : "Boynton HRF", static_cast<double>(predictorValue)));
    for (const std::string& name : predictorNames) {
        hostFunctions.zrAddPredictor(name.c_str());
        hostFunctions.zrSetPredictorValuesFromConditionName(name.c_str(), name.c_str(), predictorValue);
        if (twoGamma) {
            hostFunctions.zrApplyTwoGammaHRFToPredictorWithName(name.c_str());
        } else {
            hostFunctions.zrApplyBoyntonHRFToPredictorWithName(name.c_str());
        }
    }
    if (addConstantPredictor) addConstant(predictorNames.size(), numberOfVolumes);

    const std::string sdmPath = designMatrixPath(protocolFileName, vtcPath);
    if (sdmPath.size() >= sdmNameOut.size()) {
        // A cut path would save the design matrix under another name than the one reported.
        logText(formatText("The design matrix path is longer than %zu characters; the design "
                           "matrix is not saved: %s",
                           sdmNameOut.size() - 1, sdmPath.c_str()));
        return false;
    }
    const bool saved = hostFunctions.zrSaveSingleStudyGLMDesignMatrix(sdmPath.c_str()) != 0;
    logText(saved ? "Saving of design matrix succeeded." : "Saving of design matrix did not succeed.");
    std::copy(sdmPath.begin(), sdmPath.end(), sdmNameOut.begin());
    sdmNameOut[sdmPath.size()] = '\0';
    return saved;
}
