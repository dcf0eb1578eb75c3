// The header of a VTC file (versions 1 to 3), read from bytes and written back. The data
// that follow the header are never read here: linking and saving only need the header and
// the file's size.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "formats/parseResult.h"

namespace morvane {

struct VtcFileHeader {
    int version = 3;
    std::string sourceName;
    std::vector<std::string> protocolNames;  // version 3: all linked; versions 1, 2: at most one
    int currentProtocol = 0;                 // version 3 only
    int dataType = 2;                        // 1: 16-bit integers, 2: 32-bit floats
    int numberOfVolumes = 0;
    int resolution = 1;
    std::array<int, 6> bounds{};  // XStart, XEnd, YStart, YEnd, ZStart, ZEnd
    int leftRightConvention = 0;  // version 3 only
    int referenceSpace = 0;       // version 3 only
    float repetitionTimeMs = 0.0f;
    // Versions 1 and 2 only.
    int haemodynamicDelay = 0;
    float hrfDelta = 2.5f;
    float hrfTau = 1.25f;
    int segmentSize = 0;
    int segmentOffset = 0;

    std::uint64_t headerLength = 0;  // bytes the header took in the file it was read from
};

// Reads a header from the start of the stream. Fails on a version other than 1 to 3 and on
// a stream that ends inside the header.
ParseResult<VtcFileHeader> parseVtcHeader(std::istream& in);

// Bytes of voxel data the header promises; vtcDataBytesBeyondRange when they exceed 64 bits.
inline constexpr std::uint64_t vtcDataBytesBeyondRange = UINT64_MAX;
std::uint64_t vtcDataBytes(const VtcFileHeader& header);

// Why a header cannot describe a real file of fileSize bytes, or "" when it can.
std::string vtcHeaderProblem(const VtcFileHeader& header, std::uint64_t fileSize);

// The header as it is written to a file; the length follows from the texts.
std::string vtcHeaderBytes(const VtcFileHeader& header);

// The header with exactly one linked protocol (made current), or none for an empty name.
VtcFileHeader withProtocol(VtcFileHeader header, const std::string& protocolName);

// Opens the file, reads its header and checks it against the file's size.
ParseResult<VtcFileHeader> readVtcHeader(const std::string& path);

}  // namespace morvane
