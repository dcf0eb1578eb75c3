#include "confoundmodels/confoundModel.h"

#include <algorithm>
#include <cmath>

#include "confoundmodels/motionTerms.h"
#include "confoundmodels/spikeColumns.h"
#include "confoundmodels/zTransform.h"
#include "formats/textFormat.h"
#include "motion/framewiseDisplacement.h"

namespace morvane {
namespace {

// The design matrix's columns, the added ones before its constant (the last column, when it
// declares one), each added column cut to the matrix's points.
SdmContent withColumns(const SdmContent& designMatrix, const std::vector<const ModelColumn*>& added) {
    const std::size_t own = designMatrix.names.size();
    const bool constant = designMatrix.includesConstant != 0 && own > 0;
    const std::size_t before = constant ? own - 1 : own;
    const std::size_t rows = static_cast<std::size_t>(std::max(designMatrix.dataPoints, 0));

    SdmContent out;
    out.fileVersion = designMatrix.fileVersion;
    out.includesConstant = designMatrix.includesConstant;
    out.firstConfoundPredictor = designMatrix.firstConfoundPredictor;
    out.dataPoints = designMatrix.dataPoints;
    const auto colorOf = [&](std::size_t p) { return p < designMatrix.colors.size() ? designMatrix.colors[p] : Rgb{}; };
    for (std::size_t p = 0; p < before; ++p) {
        out.names.push_back(designMatrix.names[p]);
        out.colors.push_back(colorOf(p));
    }
    for (const ModelColumn* column : added) {
        out.names.push_back(column->name);
        out.colors.push_back(column->color);
    }
    if (constant) {
        out.names.push_back(designMatrix.names.back());
        out.colors.push_back(colorOf(own - 1));
    }

    // Appended row by row into reserved room: megabytes, not worth filling with zeros first.
    out.values.reserve(rows * out.names.size());
    for (std::size_t row = 0; row < rows; ++row) {
        const double* source = designMatrix.values.data() + row * own;
        out.values.insert(out.values.end(), source, source + before);
        for (const ModelColumn* column : added) out.values.push_back(column->values[row]);
        if (constant) out.values.push_back(source[own - 1]);
    }
    return out;
}

}  // namespace

std::string addedColumnsText(const ConfoundModel& model) {
    std::string parts;
    const auto add = [&](int count, const char* what) {
        if (count == 0) return;
        parts += formatText("%s%d %s", parts.empty() ? "" : ", ", count, what);
    };
    add(model.motionTerms, "motion terms");
    add(model.extraColumns, "extra columns");
    add(model.spikeColumns, "spike columns");
    return parts.empty() ? "no columns added" : parts + " added";
}

bool holdsMotionParameters(const SdmContent& designMatrix, const SdmContent& motion) {
    if (motion.predictorCount() < motionParameterCount) return false;
    for (int c = 0; c < motionParameterCount; ++c)
        if (std::find(designMatrix.names.begin(), designMatrix.names.end(), motion.names[static_cast<std::size_t>(c)]) ==
            designMatrix.names.end())
            return false;
    return true;
}

ParseResult<ConfoundModel> buildConfoundModel(const SdmContent& designMatrix, const SdmContent& motion,
                                              const ConfoundModelRequest& request, const std::string& outputPath) {
    using Result = ParseResult<ConfoundModel>;
    const int points = std::max(designMatrix.dataPoints, 0);
    if (motion.dataPoints < points)
        return Result::failure(formatText("%s holds %d data points, fewer than the %d of the design matrix",
                                          request.motionPath.c_str(), motion.dataPoints, points));
    for (const ModelColumn& column : request.extraColumns)
        if (column.values.size() < static_cast<std::size_t>(points))
            return Result::failure(formatText("the column \"%s\" holds %zu values, fewer than the %d data points of "
                                              "the design matrix",
                                              visibleText(column.name).c_str(), column.values.size(), points));

    ParseResult<std::vector<ModelColumn>> terms =
        motionTerms(motion, request.choice.motionModel, request.withMotionParameters);
    if (!terms) return Result::failure(request.motionPath + " cannot be used: " + terms.error);
    std::vector<ModelColumn> extras = request.extraColumns;
    for (ModelColumn& column : extras) column.values.resize(static_cast<std::size_t>(points));

    std::vector<ModelColumn> spikes;
    ConfoundModel model;
    if (request.choice.spikeThresholdText) {
        ParseResult<std::vector<double>> fd = framewiseDisplacement(motion, points);
        if (!fd) return Result::failure(request.motionPath + " cannot be used: " + fd.error);
        spikes = spikeColumns(*fd.value, request.choice.spikeThresholdMm);
        if (tooManySpikes(spikes.size(), fd.value->size()))
            model.warnings.push_back(tooManySpikesWarning(outputPath, spikes.size(), fd.value->size(),
                                                          *request.choice.spikeThresholdText));
    }

    // Columns are numbered as the new file holds them, for the log lines.
    const std::size_t own = designMatrix.names.size();
    const std::size_t firstAdded = (designMatrix.includesConstant != 0 && own > 0 ? own - 1 : own) + 1;
    std::vector<const ModelColumn*> added;
    for (std::vector<ModelColumn>* block : {&*terms.value, &extras}) {
        for (ModelColumn& column : *block) {
            if (request.zTransform && !zTransformValues(column.values))
                model.logLines.push_back(constantColumnLine(static_cast<int>(firstAdded + added.size()), outputPath));
            added.push_back(&column);
        }
    }
    for (const ModelColumn& column : spikes) added.push_back(&column);

    model.motionTerms = static_cast<int>(terms.value->size());
    model.extraColumns = static_cast<int>(extras.size());
    model.spikeColumns = static_cast<int>(spikes.size());
    model.content = withColumns(designMatrix, added);
    return Result::success(std::move(model));
}

}  // namespace morvane
