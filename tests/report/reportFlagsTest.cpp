// When each flag is raised, at the edges of its rule.
#include <gtest/gtest.h>

#include "report/reportFlags.h"

namespace morvane {
namespace {

bool has(const RunReport& run, const char* flag, const ReportSettings& settings = {}) {
    const auto flags = runFlags(run, settings);
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

PredictorFigures task(std::optional<double> vif, std::optional<double> confoundR = std::nullopt) {
    PredictorFigures p;
    p.vif = vif;
    p.maxConfoundCorrelation = confoundR;
    return p;
}

RunReport motionRun(int volumesWithFd, int over, double max) {
    RunReport run;
    MotionFigures fd;
    fd.series.assign(static_cast<std::size_t>(volumesWithFd + 1), 0.1);
    fd.volumesOverThreshold = over;
    fd.max = max;
    run.framewiseDisplacement = fd;
    return run;
}

TEST(ReportFlags, HighMotionAboveTwentyPercentOfVolumesOrAboveFiveMillimetres) {
    EXPECT_FALSE(has(motionRun(100, 20, 1.0), "high-motion"));  // exactly 20 %
    EXPECT_TRUE(has(motionRun(100, 21, 1.0), "high-motion"));
    EXPECT_FALSE(has(motionRun(10, 2, 5.0), "high-motion"));  // 5 mm is not above 5 mm
    EXPECT_TRUE(has(motionRun(10, 1, 5.01), "high-motion"));
    EXPECT_FALSE(has(RunReport{}, "high-motion"));  // no motion file
}

TEST(ReportFlags, TaskFiguresAgainstTheirLimits) {
    struct Case {
        PredictorFigures predictor;
        ColumnKind kind;
        const char* flag;
        bool raised;
    };
    PredictorFigures infinite = task(std::nullopt);
    infinite.vifInfinite = true;
    PredictorFigures empty = task(std::nullopt);
    empty.withoutVariance = true;
    const Case cases[] = {
        {task(10.0), ColumnKind::Task, "high-vif", false},
        {task(10.5), ColumnKind::Task, "high-vif", true},
        {infinite, ColumnKind::Task, "high-vif", true},
        {empty, ColumnKind::Task, "high-vif", false},
        {empty, ColumnKind::Task, "empty-condition", true},
        {empty, ColumnKind::Confound, "empty-condition", false},  // a flat confound is no condition
        {task(1.0, 0.5), ColumnKind::Task, "task-confound-correlation", false},
        {task(1.0, 0.51), ColumnKind::Task, "task-confound-correlation", true},
        {task(1.0, 0.9), ColumnKind::Confound, "task-confound-correlation", false},
    };
    for (const Case& c : cases) {
        RunReport run;
        run.predictors.push_back(c.predictor);
        run.predictors.back().kind = c.kind;
        EXPECT_EQ(has(run, c.flag), c.raised) << c.flag << " " << run.predictors.back().vif.value_or(-1);
    }
    RunReport run;
    run.predictors.push_back(task(4.0, 0.3));
    EXPECT_TRUE(has(run, "high-vif", {0.5, 3.0, 0.5}));
    EXPECT_TRUE(has(run, "task-confound-correlation", {0.5, 10.0, 0.25}));
}

TEST(ReportFlags, RankStatusAndOrder) {
    RunReport run;
    run.status = RunStatus::Failed;
    run.rank = 3;
    run.nonZeroColumns = 4;
    run.predictors.push_back(task(std::nullopt));
    run.predictors.back().vifInfinite = true;
    EXPECT_EQ(runFlags(run, {}), (std::vector<std::string>{"failed", "rank-deficient", "high-vif"}));
    run.status = RunStatus::Missing;
    run.rank = 4;
    run.predictors.clear();
    EXPECT_EQ(runFlags(run, {}), std::vector<std::string>{"missing"});
    EXPECT_TRUE(isReportFlag("task-confound-correlation"));
    EXPECT_FALSE(isReportFlag("high_vif"));
}

}  // namespace
}  // namespace morvane
