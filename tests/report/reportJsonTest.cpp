// The JSON file reads back, keeps its numbers, and has null wherever a figure is undefined.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

#include "report/reportJson.h"

namespace morvane {
namespace {

using Json = nlohmann::json;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

StudyReport studyWithOneRun() {
    StudyReport report;
    report.morvaneVersion = "20.6.0";
    report.list = "study/list.txt";
    report.settings = {0.3, 5.0, 0.4};
    RunReport run;
    run.protocol = "run1.prt";
    run.timeCourse = "run1.vtc";
    run.designMatrix = "run1_run1.sdm";
    run.rows = 3;
    PredictorFigures faces;
    faces.name = "Faces \"front\"";
    faces.vif = 2.5;
    faces.maxConfoundCorrelation = 0.75;
    faces.maxConfoundName = "RVT";
    PredictorFigures rvt;
    rvt.name = "RVT";
    rvt.kind = ColumnKind::Confound;
    rvt.vif = 3.0;  // not a task: not written
    PredictorFigures constant;
    constant.name = "Constant";
    constant.kind = ColumnKind::Constant;
    run.predictors = {faces, rvt, constant};
    run.correlation = {{1.0, -0.75, std::nullopt}, {-0.75, 1.0, std::nullopt}, {std::nullopt, std::nullopt, std::nullopt}};
    run.rank = 3;
    run.conditionNumber = 4.25;
    run.framewiseDisplacement = MotionFigures{0.2, 0.4, 1, {0.0, 0.4, 0.0}};
    run.flags = {"task-confound-correlation"};
    report.runs.push_back(run);
    return report;
}

TEST(ReportJson, ReadsBackWithEveryFigure) {
    const Json json = Json::parse(reportJson(studyWithOneRun()));
    EXPECT_EQ(json["morvaneVersion"], "20.6.0");
    EXPECT_EQ(json["list"], "study/list.txt");
    EXPECT_EQ(json["settings"], Json::parse(R"({"fdThreshold":0.3,"vifLimit":5.0,"correlationLimit":0.4})"));
    const Json& run = json["runs"][0];
    EXPECT_EQ(run["status"], "ok");
    EXPECT_TRUE(run["reason"].is_null());
    EXPECT_EQ(run["rows"], 3);
    EXPECT_EQ(run["predictors"][0],
              Json::parse(R"({"name":"Faces \"front\"","kind":"task","vif":2.5,"maxConfoundCorrelation":0.75,)"
                          R"("maxConfoundName":"RVT"})"));
    EXPECT_EQ(run["predictors"][1], Json::parse(R"({"name":"RVT","kind":"confound"})"));
    EXPECT_EQ(run["predictors"][2]["kind"], "constant");
    EXPECT_EQ(run["correlation"], Json::parse("[[1.0,-0.75,null],[-0.75,1.0,null],[null,null,null]]"));
    EXPECT_EQ(run["rank"], 3);
    EXPECT_EQ(run["conditionNumber"], 4.25);
    EXPECT_EQ(run["framewiseDisplacement"],
              Json::parse(R"({"mean":0.2,"max":0.4,"volumesOverThreshold":1,"series":[0.0,0.4,0.0]})"));
    EXPECT_EQ(run["flags"], Json::parse(R"(["task-confound-correlation"])"));
}

TEST(ReportJson, UndefinedFiguresAndNumbersThatAreNotNumbersAreNull) {
    StudyReport report = studyWithOneRun();
    RunReport& run = report.runs[0];
    run.predictors[0].vif = nan;
    run.predictors[0].maxConfoundCorrelation = inf;
    run.correlation[0][1] = -inf;
    run.conditionNumber = nan;
    run.framewiseDisplacement->series[1] = nan;
    report.settings.vifLimit = inf;
    RunReport failed;
    failed.protocol = "run2.prt";
    failed.status = RunStatus::Missing;
    failed.reason = "the design matrix run2_run2.sdm is not there";
    failed.flags = {"missing"};
    report.runs.push_back(failed);

    const std::string text = reportJson(report);
    for (const char* word : {"NaN", "nan", "Infinity", "inf"}) EXPECT_EQ(text.find(word), std::string::npos) << word;
    const Json json = Json::parse(text);
    EXPECT_TRUE(json["runs"][0]["predictors"][0]["vif"].is_null());
    EXPECT_TRUE(json["runs"][0]["predictors"][0]["maxConfoundCorrelation"].is_null());
    EXPECT_TRUE(json["runs"][0]["correlation"][0][1].is_null());
    EXPECT_TRUE(json["runs"][0]["conditionNumber"].is_null());
    EXPECT_TRUE(json["runs"][0]["framewiseDisplacement"]["series"][1].is_null());
    EXPECT_TRUE(json["settings"]["vifLimit"].is_null());
    const Json& missing = json["runs"][1];
    EXPECT_EQ(missing["status"], "missing");
    EXPECT_EQ(missing["reason"], "the design matrix run2_run2.sdm is not there");
    for (const char* key : {"timeCourse", "designMatrix", "rows", "correlation", "rank", "conditionNumber",
                            "framewiseDisplacement"})
        EXPECT_TRUE(missing[key].is_null()) << key;
    EXPECT_EQ(missing["predictors"], Json::array());
}

TEST(ReportJson, NamesThatAreNoUtf8StillMakeValidJson) {
    StudyReport report = studyWithOneRun();
    report.runs[0].predictors[1].name = std::string("R\xff\xfeVT\x01", 6);
    report.runs[0].protocol = "caf\xc3\xa9.prt";
    const Json json = Json::parse(reportJson(report));
    EXPECT_EQ(json["runs"][0]["predictors"][1]["name"], "R\xef\xbf\xbd\xef\xbf\xbdVT\x01");
    EXPECT_EQ(json["runs"][0]["protocol"], "caf\xc3\xa9.prt");
}

}  // namespace
}  // namespace morvane
