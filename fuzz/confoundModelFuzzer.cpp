// The confound models on adversarial inputs: a design matrix, a motion file and a confounds
// table, separated by NUL bytes after three bytes that choose the model, the z-transform, the
// spike threshold and the table's use. Whatever the bytes, the model is made or refused with
// a message; a model made has the columns it promises, adds only finite numbers (spikes
// only 0 and 1), keeps the constant last, and its file reads back with the same columns.
#include <cmath>
#include <string>
#include <vector>

#include "confoundmodels/confoundModel.h"
#include "confoundmodels/extraColumns.h"
#include "confoundmodels/motionTerms.h"
#include "formats/sdmFile.h"
#include "formats/textFormat.h"
#include "fuzz/fuzzSupport.h"

using namespace morvane;

namespace {

std::vector<std::string_view> parts(std::string_view bytes, std::size_t count) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < count) {
        const std::size_t end = bytes.find('\0');
        if (end == std::string_view::npos) break;
        out.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end + 1);
    }
    out.push_back(bytes);
    out.resize(count);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int models[] = {6, 12, 24};
    ConfoundModelRequest request;
    request.choice.motionModel = models[data[0] % 3];
    request.zTransform = (data[1] & 1) != 0;
    request.withMotionParameters = (data[1] & 2) != 0;
    const bool spikes = (data[1] & 4) != 0;
    const bool extra = (data[1] & 8) != 0;
    if (spikes) {
        request.choice.spikeThresholdText = formatText("%d.%d", data[2] / 100, data[2] % 100);
        request.choice.spikeThresholdMm = data[2] / 100.0;
    }
    const std::vector<std::string_view> inputs = parts(fuzzBytes(data + 3, size - 3), 3);

    const ParseResult<SdmContent> matrix = parseSdm(inputs[0]);
    const ParseResult<SdmContent> motion = (data[1] & 16) != 0 ? parseRtc(inputs[1]) : parseSdm(inputs[1]);
    if (!matrix || !motion) return 0;
    if (extra) {
        const ParseResult<TsvTable> table = parseTsvTable(inputs[2], "table.tsv");
        if (!table) return 0;
        std::vector<std::string> warnings;
        ParseResult<std::vector<ModelColumn>> columns = extraColumnsOf(*table.value, {"*"}, matrix.value->dataPoints, warnings);
        fuzzCheck(columns.value.has_value() == columns.error.empty(), "columns or a message");
        if (!columns) return 0;
        for (const ModelColumn& column : *columns.value) {
            fuzzCheck(column.values.size() == static_cast<std::size_t>(std::max(matrix.value->dataPoints, 0)),
                      "a table column as long as the design matrix");
            for (double value : column.values) fuzzCheck(std::isfinite(value), "table values are finite");
        }
        request.extraColumns = std::move(*columns.value);
    }

    const ParseResult<ConfoundModel> model = buildConfoundModel(*matrix.value, *motion.value, request, "out.sdm");
    fuzzCheck(model.value.has_value() == model.error.empty(), "a model or a message");
    if (!model) return 0;
    const SdmContent& base = *matrix.value;
    const SdmContent& out = model.value->content;
    const int terms = 6 * static_cast<int>(motionTermBlocks(request.choice.motionModel, request.withMotionParameters).size());
    const int added = model.value->motionTerms + model.value->extraColumns + model.value->spikeColumns;
    fuzzCheck(model.value->motionTerms == terms, "six terms per block of the model");
    fuzzCheck(model.value->extraColumns == static_cast<int>(request.extraColumns.size()), "every extra column");
    fuzzCheck(model.value->spikeColumns <= std::max(base.dataPoints - 1, 0), "at most a spike per volume after the first");
    fuzzCheck(out.predictorCount() == base.predictorCount() + added, "the columns it promises");
    fuzzCheck(out.colors.size() == out.names.size(), "a colour per column");
    fuzzCheck(out.dataPoints == base.dataPoints && out.includesConstant == base.includesConstant &&
                  out.firstConfoundPredictor == base.firstConfoundPredictor,
              "the design matrix's header");
    const bool constant = base.includesConstant != 0 && base.predictorCount() > 0;
    if (constant) fuzzCheck(out.names.back() == base.names.back(), "the constant last");
    const int first = base.predictorCount() - (constant ? 1 : 0);
    for (int row = 0; row < out.dataPoints; ++row) {
        for (int p = first; p < first + added; ++p) {
            const double value = out.value(row, p);
            fuzzCheck(std::isfinite(value), "added values are finite");
            if (p >= first + added - model.value->spikeColumns) fuzzCheck(value == 0.0 || value == 1.0, "spikes are 0 or 1");
        }
    }

    // The file as written reads back with its columns, when every name can be quoted.
    for (const std::string& name : out.names)
        if (name.find('"') != std::string::npos) return 0;
    if (out.predictorCount() == 0) return 0;
    const ParseResult<SdmContent> reread = parseSdm(sdmText(out));
    fuzzCheck(reread && reread.value->names == out.names && reread.value->dataPoints == out.dataPoints,
              "the written file reads back with its columns");
    return 0;
}
