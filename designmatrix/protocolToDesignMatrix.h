// The design matrix of the protocol attached to the linked VTC: reported, built, convolved
// and saved by the host beside the VTC.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The caller's buffer for the path of the saved design matrix; paths hold at most 511
// characters.
inline constexpr std::size_t sdmPathBufferSize = 512;
using SdmPathBuffer = std::array<char, sdmPathBufferSize>;

// hrfChoice 1 convolves with the two-gamma response function, any other value with Boynton's.
// Makes one predictor per condition the host delivers (from the second one on with
// skipFirstCondition), appends "Constant" with numberOfVolumes ones when asked, and has the
// host save the design matrix as <VTC stem>_<protocol name>.sdm (or <protocol stem>.sdm for an
// empty VTC path). sdmNameOut receives that path once the protocol was read and the path fits.
// True exactly when the host saved the design matrix.
bool protocolToDesignMatrix(std::int32_t hrfChoice, bool logProtocolReport, float predictorValue,
                            bool skipFirstCondition, bool addConstantPredictor,
                            std::int32_t numberOfVolumes, SdmPathBuffer& sdmNameOut,
                            const char* vtcPath);
