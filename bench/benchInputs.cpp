#include "bench/benchInputs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>

namespace bench {
namespace {

void append(std::string& out, const char* format, double value) {
    char field[64];
    const int length = std::snprintf(field, sizeof field, format, value);
    out.append(field, static_cast<std::size_t>(std::max(length, 0)));
}

void appendInt(std::string& out, const char* format, long long value) {
    char field[64];
    const int length = std::snprintf(field, sizeof field, format, value);
    out.append(field, static_cast<std::size_t>(std::max(length, 0)));
}

// Header lines with the host's padding: the key, blanks to column 26, the value.
void appendHeaderLine(std::string& out, const char* key, long long value) {
    char line[64];
    const int length = std::snprintf(line, sizeof line, "%-25s%lld\n", key, value);
    out.append(line, static_cast<std::size_t>(std::max(length, 0)));
}

// Values that look like convolved predictors: mostly between -0.2 and 1.15, some exactly
// zero (before the first event), some small enough for the exponent form.
double predictorValue(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double kind = unit(random);
    if (kind < 0.08) return 0.0;
    if (kind < 0.12) return (unit(random) - 0.5) * 2e-4;
    const double u = unit(random);
    return u * u * u * 1.35 - 0.2;
}

}  // namespace

std::string designMatrixText(int rows, int predictors, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string out;
    out.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(predictors) * 12 + 4096);
    appendHeaderLine(out, "FileVersion:", 1);
    out += '\n';
    appendHeaderLine(out, "NrOfPredictors:", predictors);
    appendHeaderLine(out, "NrOfDataPoints:", rows);
    appendHeaderLine(out, "IncludesConstant:", 1);
    appendHeaderLine(out, "FirstConfoundPredictor:", predictors);
    out += '\n';
    for (int p = 0; p < predictors; ++p) {
        if (p > 0) out += "   ";
        if (p == predictors - 1) {
            out += "255 255 255";
        } else {
            appendInt(out, "%lld ", (p * 37) % 256);
            appendInt(out, "%lld ", (p * 91 + 40) % 256);
            appendInt(out, "%lld", (p * 53 + 120) % 256);
        }
    }
    out += '\n';
    for (int p = 0; p < predictors; ++p) {
        if (p > 0) out += ' ';
        if (p == predictors - 1) {
            out += "\"Constant\"";
        } else {
            appendInt(out, "\"Condition_%02lld\"", p + 1);
        }
    }
    out += '\n';
    for (int row = 0; row < rows; ++row) {
        for (int p = 0; p < predictors; ++p) {
            const double value = p == predictors - 1 ? 1.0 : predictorValue(random);
            append(out, "%12.6g", value);
        }
        out += '\n';
    }
    return out;
}

std::string motionSdmText(int rows, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> step(0.0, 0.02);
    std::string out;
    out.reserve(static_cast<std::size_t>(rows) * 73 + 512);
    appendHeaderLine(out, "FileVersion:", 1);
    out += '\n';
    appendHeaderLine(out, "NrOfPredictors:", 6);
    appendHeaderLine(out, "NrOfDataPoints:", rows);
    appendHeaderLine(out, "IncludesConstant:", 0);
    appendHeaderLine(out, "FirstConfoundPredictor:", 1);
    out += '\n';
    out += "255 50 50   50 255 50   50 50 255   255 255 0   255 0 255   0 255 255\n";
    out += "\"Translation MN-X [mm]\" \"Translation MN-Y [mm]\" \"Translation MN-Z [mm]\" "
           "\"Rotation MN-X [deg]\" \"Rotation MN-Y [deg]\" \"Rotation MN-Z [deg]\"\n";
    double position[6] = {};
    for (int row = 0; row < rows; ++row) {
        for (double& value : position) {
            if (row > 0) value += step(random);
            append(out, "%12.6g", value);
        }
        out += '\n';
    }
    return out;
}

std::string confoundRtcText(int rows, int columns, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::string out;
    out.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns) * 10 + 512);
    out += "FileVersion:     2\nType:            DesignMatrix\n";
    appendInt(out, "NrOfPredictors:  %lld\n", columns);
    appendInt(out, "NrOfDataPoints:  %lld\n\n", rows);
    for (int c = 0; c < columns; ++c) {
        if (c > 0) out += ' ';
        appendInt(out, "\"Physio_%lld\"", c + 1);
    }
    out += '\n';
    for (int row = 0; row < rows; ++row) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) out += ' ';
            append(out, "%f", std::sin(0.05 * row * (c + 1)) + 0.1 * noise(random));
        }
        out += '\n';
    }
    return out;
}

std::string confoundSdmText(int rows, int columns, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    const int predictors = columns + 1;
    std::string out;
    out.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(predictors) * 12 + 512);
    appendHeaderLine(out, "FileVersion:", 1);
    out += '\n';
    appendHeaderLine(out, "NrOfPredictors:", predictors);
    appendHeaderLine(out, "NrOfDataPoints:", rows);
    appendHeaderLine(out, "IncludesConstant:", 1);
    appendHeaderLine(out, "FirstConfoundPredictor:", 1);
    out += '\n';
    for (int p = 0; p < predictors; ++p) {
        if (p > 0) out += "   ";
        out += p == columns ? "255 255 255" : "255 255 0";
    }
    out += '\n';
    for (int p = 0; p < predictors; ++p) {
        if (p > 0) out += ' ';
        if (p == columns)
            out += "\"Constant\"";
        else
            appendInt(out, "\"RVT_%lld\"", p + 1);
    }
    out += '\n';
    for (int row = 0; row < rows; ++row) {
        for (int c = 0; c < columns; ++c) append(out, "%12.6g", std::cos(0.03 * row * (c + 1)) + 0.1 * noise(random));
        append(out, "%12.6g", 1.0);
        out += '\n';
    }
    return out;
}

std::string fileListText(int groups, const std::string& folder) {
    std::string out;
    appendInt(out, "%lld\n", groups);
    for (int g = 1; g <= groups; ++g) {
        char stem[32];
        std::snprintf(stem, sizeof stem, "run%04d", g);
        const std::string base = folder + stem;
        out += base + ".prt\n" + base + ".vtc\n" + base + "_3DMC.sdm\n" + base + "_HR.rtc\n" + base + "_RVT.sdm\n";
    }
    return out;
}

std::string protocolText(int conditions, int events, int volumes, bool milliseconds, double repetitionTimeMs,
                         std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string out;
    out += "FileVersion:        2\n\n";
    out += milliseconds ? "ResolutionOfTime:   msec\n\n" : "ResolutionOfTime:   Volumes\n\n";
    out += "Experiment:         Benchmark protocol\n\n";
    out += "BackgroundColor:    0 0 0\nTextColor:          255 255 255\nTimeCourseColor:    255 255 255\n"
           "TimeCourseThick:    3\nReferenceFuncColor: 192 192 192\nReferenceFuncThick: 2\n\n";
    appendInt(out, "NrOfConditions:  %lld\n\n", conditions);
    // Each condition's events fall one into each of `events` equal slots of the run.
    const int slot = std::max(volumes / std::max(events, 1), 2);
    for (int c = 0; c < conditions; ++c) {
        appendInt(out, "Condition %lld\n", c + 1);
        appendInt(out, "%lld\n", events);
        for (int e = 0; e < events; ++e) {
            const int slotStart = e * slot;
            if (milliseconds) {
                const double slotMs = slot * repetitionTimeMs;
                std::uniform_real_distribution<double> onset(0.0, slotMs * 0.7);
                std::uniform_real_distribution<double> duration(500.0, 4000.0);
                const long long start = static_cast<long long>(slotStart * repetitionTimeMs + onset(random));
                const long long end = start + static_cast<long long>(duration(random));
                appendInt(out, "%8lld", start);
                appendInt(out, " %8lld\n", end);
            } else {
                std::uniform_int_distribution<int> onset(1, std::max(slot / 2, 1));
                std::uniform_int_distribution<int> duration(0, 3);
                const int start = slotStart + onset(random);
                const int end = std::min(start + duration(random), volumes);
                appendInt(out, "%4lld", start);
                appendInt(out, " %4lld\n", end);
            }
        }
        appendInt(out, "Color: %lld ", (c * 37) % 256);
        appendInt(out, "%lld ", (c * 91 + 40) % 256);
        appendInt(out, "%lld\n\n", (c * 53 + 120) % 256);
    }
    return out;
}

bool writeTextFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    return !file.fail();
}

}  // namespace bench
