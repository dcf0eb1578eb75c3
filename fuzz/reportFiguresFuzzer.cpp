// The report's figures of an adversarial design matrix and motion file (two parts separated
// by a NUL byte). Whatever the bytes, the figures are made or refused with a message; made,
// every correlation lies in [-1, 1] with 1 on its diagonal and is symmetric, every VIF is a
// finite number of at least 1, the rank is at most the rows and the columns, and the JSON
// file of the group reads back with no number that is none.
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "formats/sdmFile.h"
#include "fuzz/fuzzSupport.h"
#include "motion/framewiseDisplacement.h"
#include "report/matrixFigures.h"
#include "report/motionFigures.h"
#include "report/reportFlags.h"
#include "report/reportJson.h"

using namespace morvane;

namespace {

bool within(double value, double low, double high) { return std::isfinite(value) && value >= low && value <= high; }

void checkFigures(const MatrixFigures& f, const SdmContent& matrix) {
    const std::size_t columns = matrix.names.size();
    fuzzCheck(f.predictors.size() == columns && f.correlation.size() == columns, "a figure per column");
    for (std::size_t i = 0; i < columns; ++i) {
        fuzzCheck(f.correlation[i].size() == columns, "a square correlation matrix");
        for (std::size_t j = 0; j < columns; ++j) {
            const auto& r = f.correlation[i][j];
            fuzzCheck(r.has_value() == f.correlation[j][i].has_value() && (!r || *r == *f.correlation[j][i]),
                      "a symmetric correlation matrix");
            fuzzCheck(!r || within(*r, -1.0, 1.0), "correlations within [-1, 1]");
            fuzzCheck(i != j || !r || *r == 1.0, "1 on the diagonal");
        }
        const PredictorFigures& p = f.predictors[i];
        fuzzCheck(!p.vif || within(*p.vif, 1.0, 1.0 / perfectFitTolerance + 1), "VIF finite and at least 1");
        fuzzCheck(!(p.vif && p.vifInfinite), "a VIF either finite or infinite");
        fuzzCheck(!p.maxConfoundCorrelation || within(*p.maxConfoundCorrelation, 0.0, 1.0), "|r| within [0, 1]");
        fuzzCheck(p.kind == ColumnKind::Task || (!p.vif && !p.maxConfoundCorrelation), "figures for tasks only");
    }
    fuzzCheck(f.rank && *f.rank >= 0 && *f.rank <= f.nonZeroColumns && *f.rank <= matrix.dataPoints,
              "a rank within the rows and the non-zero columns");
    fuzzCheck(!f.conditionNumber || within(*f.conditionNumber, 1.0 - 1e-9, HUGE_VAL), "a condition number of 1 or more");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzzBytes(data, size);
    const std::size_t cut = bytes.find('\0');
    const std::string_view matrixBytes = bytes.substr(0, cut);
    const std::string_view motionBytes = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);

    RunReport run;
    run.protocol = "fuzz.prt";
    const ParseResult<SdmContent> matrix = parseSdm(matrixBytes);
    if (matrix) {
        const ParseResult<MatrixFigures> figures = matrixFigures(*matrix.value);
        fuzzCheck(figures.value.has_value() == figures.error.empty(), "figures or a message");
        if (figures) {
            checkFigures(*figures.value, *matrix.value);
            run.designMatrix = "fuzz.sdm";
            run.rows = matrix.value->dataPoints;
            run.predictors = figures.value->predictors;
            run.correlation = figures.value->correlation;
            run.rank = figures.value->rank;
            run.conditionNumber = figures.value->conditionNumber;
            run.nonZeroColumns = figures.value->nonZeroColumns;
        }
    }
    const ParseResult<SdmContent> motion = parseSdm(motionBytes);
    if (motion) {
        const int points = matrix ? matrix.value->dataPoints : motion.value->dataPoints;
        ParseResult<std::vector<double>> series = framewiseDisplacement(*motion.value, points);
        if (series) {
            run.framewiseDisplacement = summariseDisplacement(*series.value, 0.5);
            if (run.framewiseDisplacement) {
                const MotionFigures& fd = *run.framewiseDisplacement;
                fuzzCheck(fd.series.size() >= 2 && fd.series[0] == 0.0, "FD of volume 1 is 0");
                for (double value : fd.series) fuzzCheck(within(value, 0.0, HUGE_VAL), "FD finite, not negative");
                fuzzCheck(within(fd.mean, 0.0, fd.max) && fd.volumesOverThreshold >= 0 &&
                              static_cast<std::size_t>(fd.volumesOverThreshold) < fd.series.size(),
                          "FD summary within its series");
            }
        }
    }
    run.flags = runFlags(run, {});
    for (const std::string& flag : run.flags) fuzzCheck(isReportFlag(flag), "known flags only");

    StudyReport report;
    report.list = "fuzz.txt";
    report.runs.push_back(run);
    const nlohmann::json json = nlohmann::json::parse(reportJson(report), nullptr, false);
    fuzzCheck(!json.is_discarded(), "the JSON file reads back");
    const nlohmann::json& back = json["runs"][0];
    fuzzCheck(back["predictors"].size() == run.predictors.size(), "every predictor in the JSON file");
    fuzzCheck(back["correlation"].is_null() == !run.rank, "correlation null exactly without figures");
    return 0;
}
