// Generated inputs of realistic and of large size for the benchmarks: design matrices as the
// host saves them, motion, heart-rate and respiration files, file lists and protocols. Every
// text is made from a fixed seed, so that runs compare the same bytes.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

// The realistic sizes: a run of 2,000 volumes, a design matrix of 40 predictors (the last
// the constant), and the confound files of the same length.
inline constexpr int realisticRows = 2000;
inline constexpr int realisticPredictors = 40;
inline constexpr int heartRateColumns = 4;
inline constexpr int respirationColumns = 4;

// A design matrix as the host writes it: padded header keys, colours, quoted names, values in
// 12-character fields of six significant digits; the last predictor is the constant.
std::string designMatrixText(int rows, int predictors, std::uint32_t seed = 1);

// Motion estimates as the motion correction writes them: six columns in 12-character fields
// with no separator of their own, so that negative values touch the one before them.
std::string motionSdmText(int rows, std::uint32_t seed = 2);

// A heart-rate or respiration file in the RTC form: "%f" values separated by one blank.
std::string confoundRtcText(int rows, int columns, std::uint32_t seed = 3);

// The same in the SDM form, with a constant as its last predictor (dropped by the reader).
std::string confoundSdmText(int rows, int columns, std::uint32_t seed = 4);

// A file list of `groups` protocol groups: PRT, VTC and the three confound files each, in
// the folder `folder` (which ends in a separator, or is empty).
std::string fileListText(int groups, const std::string& folder);

// A protocol in volumes with `conditions` conditions of `events` events each, spread over
// `volumes` volumes without overlap inside a condition.
std::string protocolText(int conditions, int events, int volumes, bool milliseconds, double repetitionTimeMs,
                         std::uint32_t seed = 5);

// Writes the text to the file; false when it cannot.
bool writeTextFile(const std::string& path, const std::string& text);

}  // namespace bench
