#include "confoundmodels/confoundModelStep.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "confoundmodels/confoundModel.h"
#include "confoundmodels/modelFile.h"
#include "confoundmodels/modelFileName.h"
#include "formats/textFormat.h"
#include "motion/framewiseDisplacement.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

bool groupFailed(const RunOutcome& outcome, std::size_t group) {
    return std::any_of(outcome.failures.begin(), outcome.failures.end(),
                       [&](const ProtocolFailure& failure) { return failure.groupIndex == group; });
}

// The list entry that the path names, if any: a name clash must never replace an input.
std::optional<std::string> listedFileAt(const RunOutcome& outcome, const std::string& path) {
    std::error_code error;
    if (!fs::exists(path, error)) return std::nullopt;
    for (const std::string& entry : outcome.list.entries)
        if (fs::equivalent(entry, path, error)) return entry;
    return std::nullopt;
}

}  // namespace

int runConfoundModelStep(RunOutcome& outcome, const ConfoundModelChoice& choice, ModelLog& log, std::ostream& err) {
    const bool zTransform = outcome.answers.zTransform.value_or(false);
    outcome.addedDesignMatrices.resize(outcome.list.groups.size());
    int status = 0;
    for (std::size_t index = 0; index < outcome.list.groups.size(); ++index) {
        const ListedGroup& group = outcome.list.groups[index];
        const GroupRecord* record = index < outcome.groupRecords.size() ? outcome.groupRecords[index] : nullptr;
        // Without a saved design matrix the run check has reported the group already.
        if (!group.motion || record == nullptr || record->designMatrices.empty()) continue;
        const SavedDesignMatrix& matrix = record->designMatrices.back();
        const std::string extended =
            group.hasConfounds() ? extendedDesignMatrixName(matrix.path, group, zTransform) : matrix.path;
        const std::string output = modelFileName(extended, choice);
        const auto fail = [&](const std::string& reason) {
            outcome.failures.push_back({group.protocol, "the design matrix " + output + " was not written: " + reason, index});
            status = 1;
        };

        const std::string motionPath = *group.motion;
        ParseResult<SdmContent> motion = readMotionFile(motionPath);
        if (!motion) {
            fail("the motion file " + motionPath + " cannot be read: " + motion.error);
            continue;
        }
        if (motion.value->dataPoints < matrix.dataPoints) {
            fail(formatText("the motion file %s holds %d data points, fewer than the %d of the design matrix",
                            motionPath.c_str(), motion.value->dataPoints, matrix.dataPoints));
            continue;
        }
        if (groupFailed(outcome, index)) {
            fail("the files the plugin wrote for the group are incomplete");
            continue;
        }
        if (const auto entry = listedFileAt(outcome, output)) {
            fail("its name is that of " + *entry + ", which the list names");
            continue;
        }
        ParseResult<SdmContent> designMatrix = readSdmFile(extended);
        if (!designMatrix) {
            fail("the design matrix " + extended + " it extends cannot be read: " + designMatrix.error);
            continue;
        }
        ConfoundModelRequest request;
        request.choice = choice;
        request.zTransform = zTransform;
        request.motionPath = "the motion file " + motionPath;
        ParseResult<ConfoundModel> model = buildConfoundModel(*designMatrix.value, *motion.value, request, output);
        if (!model) {
            fail(model.error);
            continue;
        }
        const std::string saveProblem = writeModelFile(output, model.value->content);
        if (!saveProblem.empty()) {
            fail("cannot save it: " + saveProblem);
            continue;
        }
        for (const std::string& line : model.value->logLines) log.line(line);
        log.line("New filename: " + output + " (" + addedColumnsText(*model.value) + ")");
        for (const std::string& warning : model.value->warnings) err << "morvane: warning: " << warning << '\n';
        outcome.addedDesignMatrices[index].push_back(output);
    }
    return status;
}

}  // namespace morvane
