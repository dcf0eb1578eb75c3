// What the report holds for one protocol group of a list, and for the whole list: the figures
// that the JSON file carries and the page shows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/sdmFile.h"

namespace morvane {

enum class ColumnKind { Task, Confound, Constant };
enum class RunStatus { Ok, Failed, Missing };

// Their words, as the JSON file, the page and its CSS classes write them.
constexpr const char* kindWord(ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Task: return "task";
        case ColumnKind::Confound: return "confound";
        case ColumnKind::Constant: break;
    }
    return "constant";
}

constexpr const char* statusWord(RunStatus status) {
    switch (status) {
        case RunStatus::Ok: return "ok";
        case RunStatus::Failed: return "failed";
        case RunStatus::Missing: break;
    }
    return "missing";
}

struct PredictorFigures {
    std::string name;  // without its quotes
    ColumnKind kind = ColumnKind::Task;
    // Task predictors only; empty where the figure is undefined (JSON null).
    std::optional<double> vif;
    std::optional<double> maxConfoundCorrelation;
    std::optional<std::string> maxConfoundName;
    bool withoutVariance = false;  // every value the same (an empty condition for a task column)
    bool vifInfinite = false;      // a task column that the others reproduce: R² is 1 within 1e-10
};

struct MotionFigures {
    double mean = 0.0;  // over volumes 2 to n
    double max = 0.0;
    int volumesOverThreshold = 0;
    std::vector<double> series;  // n values, volume 1 as 0
};

struct RunReport {
    std::string protocol;    // as the list names it
    std::string timeCourse;  // as the list names it; "" when none follows
    RunStatus status = RunStatus::Ok;
    std::string reason;        // why it failed or what is missing
    std::string designMatrix;  // the file the figures come from; "" when none
    int rows = 0;
    std::vector<PredictorFigures> predictors;
    // P x P Pearson r in file order; empty for the constant and columns without variance.
    std::vector<std::vector<std::optional<double>>> correlation;
    std::optional<int> rank;
    std::optional<double> conditionNumber;
    int nonZeroColumns = 0;  // the columns that enter rank and condition number
    std::optional<MotionFigures> framewiseDisplacement;
    std::vector<std::string> flags;    // exact names: "rank-deficient", "high-vif", ...
    std::vector<std::string> logLines;  // the plugin's log of this group (batch runs only)
    // What a reader should know about figures that could not be computed in full (a motion file
    // shorter than the design matrix, one that cannot be read, ...).
    std::vector<std::string> notes;
};

struct ReportSettings {
    double fdThresholdMm = 0.5;
    double vifLimit = 10.0;
    double correlationLimit = 0.5;
};

struct StudyReport {
    std::string morvaneVersion;
    std::string list;
    ReportSettings settings;
    std::vector<RunReport> runs;
};

}  // namespace morvane
