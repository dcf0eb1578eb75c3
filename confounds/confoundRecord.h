// One confound file in memory: motion estimates, heart rate or respiration, as read from an
// SDM or RTC file. Made by the readers, z-transformed and released by the confound stage,
// read by the writers of the extended design matrix.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class ConfoundKind : std::int32_t { Motion = 1, HeartRate = 2, Respiration = 3 };

struct ColorTriple {
    std::int32_t red = 0;
    std::int32_t green = 0;
    std::int32_t blue = 0;
};

inline constexpr int motionColumnCount = 6;

struct ConfoundRecord {
    bool readOk = true;
    std::int32_t fileVersion = 0;
    // Motion: the header's count. Heart rate and respiration: the columns kept.
    std::int32_t predictorCount = 0;
    std::int32_t dataPointCount = 0;
    std::int32_t includesConstant = 0;
    std::int32_t firstConfound = 0;
    bool zTransformed = false;
    ConfoundKind kind = ConfoundKind::Motion;
    // Motion only: translation X, Y, Z, rotation X, Y, Z.
    std::array<ColorTriple, motionColumnCount> motionColors{};
    std::array<std::vector<double>, motionColumnCount> motionColumns;
    // Heart rate and respiration only; names keep their double quotes.
    std::vector<ColorTriple> colors;
    std::vector<std::string> names;
    std::vector<std::vector<double>> columns;
    // The file the record was read from, for messages about it.
    std::string path;
};

// A new record as every reader starts it.
std::unique_ptr<ConfoundRecord> makeConfoundRecord(ConfoundKind kind, const char* path);

// Releases the record with everything it holds; the pointer is empty afterwards.
void releaseConfoundRecord(std::unique_ptr<ConfoundRecord>& record);
