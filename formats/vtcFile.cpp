#include "formats/vtcFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

#include "formats/textFormat.h"

namespace morvane {
namespace {

// Texts in a header are names and paths; anything longer is not a header.
constexpr std::size_t longestHeaderText = 65535;

struct ByteReader {
    std::istream& in;
    std::uint64_t consumed = 0;
    bool ok = true;

    bool bytes(void* target, std::size_t count) {
        if (!ok) return false;
        in.read(static_cast<char*>(target), static_cast<std::streamsize>(count));
        if (static_cast<std::size_t>(in.gcount()) != count) ok = false;
        consumed += static_cast<std::uint64_t>(in.gcount());
        return ok;
    }
    int int16() {
        unsigned char b[2] = {0, 0};
        bytes(b, 2);
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
    }
    int uint8() {
        unsigned char b = 0;
        bytes(&b, 1);
        return b;
    }
    float float32() {
        unsigned char b[4] = {0, 0, 0, 0};
        bytes(b, 4);
        const std::uint32_t bits = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                   (static_cast<std::uint32_t>(b[2]) << 16) |
                                   (static_cast<std::uint32_t>(b[3]) << 24);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string text() {
        std::string result;
        while (ok) {
            char c = 0;
            if (!bytes(&c, 1)) break;
            if (c == '\0') return result;
            if (result.size() == longestHeaderText) {
                ok = false;
                break;
            }
            result.push_back(c);
        }
        return result;
    }
};

void putInt16(std::string& out, int value) {
    const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    out.push_back(static_cast<char>(bits & 0xFF));
    out.push_back(static_cast<char>(bits >> 8));
}

void putFloat32(std::string& out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

void putText(std::string& out, const std::string& text) {
    out += text;
    out.push_back('\0');
}

}  // namespace

ParseResult<VtcFileHeader> parseVtcHeader(std::istream& in) {
    ByteReader reader{in};
    VtcFileHeader header;
    header.version = reader.int16();
    if (!reader.ok) return ParseResult<VtcFileHeader>::failure("the file is too short to hold a VTC header");
    if (header.version < 1 || header.version > 3) {
        return ParseResult<VtcFileHeader>::failure(
            formatText("VTC file version %d is not supported (versions 1 to 3 are)", header.version));
    }
    header.sourceName = reader.text();
    if (header.version == 3) {
        const int protocolCount = reader.int16();
        if (reader.ok && protocolCount < 0) {
            return ParseResult<VtcFileHeader>::failure(
                formatText("the header declares a negative number of linked protocols (%d)", protocolCount));
        }
        for (int i = 0; i < protocolCount && reader.ok; ++i) header.protocolNames.push_back(reader.text());
        header.currentProtocol = reader.int16();
        header.dataType = reader.int16();
        header.numberOfVolumes = reader.int16();
        header.resolution = reader.int16();
        for (int& bound : header.bounds) bound = reader.int16();
        header.leftRightConvention = reader.uint8();
        header.referenceSpace = reader.uint8();
        header.repetitionTimeMs = reader.float32();
    } else {
        std::string protocol = reader.text();
        if (!protocol.empty()) header.protocolNames.push_back(std::move(protocol));
        header.dataType = 1;
        header.numberOfVolumes = reader.int16();
        header.resolution = reader.int16();
        for (int& bound : header.bounds) bound = reader.int16();
        header.haemodynamicDelay = reader.int16();
        header.repetitionTimeMs = reader.float32();
        header.hrfDelta = reader.float32();
        header.hrfTau = reader.float32();
        header.segmentSize = reader.int16();
        header.segmentOffset = reader.int16();
    }
    if (!reader.ok) return ParseResult<VtcFileHeader>::failure("the file ends inside the VTC header");
    header.headerLength = reader.consumed;
    return ParseResult<VtcFileHeader>::success(std::move(header));
}

std::uint64_t vtcDataBytes(const VtcFileHeader& header) {
    if (header.resolution <= 0 || header.numberOfVolumes <= 0) return 0;
    // Three extents of up to 65535, 32767 volumes and 4 bytes can exceed 64 bits; such a
    // product wrapped to a small number would pass for a file that holds its data.
    std::uint64_t bytes = header.dataType == 2 ? 4 : 2;
    bool overflow = __builtin_mul_overflow(bytes, static_cast<std::uint64_t>(header.numberOfVolumes), &bytes);
    for (int axis = 0; axis < 3; ++axis) {
        const int extent = header.bounds[2 * axis + 1] - header.bounds[2 * axis];
        if (extent < 0) return 0;
        overflow |= __builtin_mul_overflow(bytes, static_cast<std::uint64_t>(extent / header.resolution), &bytes);
    }
    return overflow ? vtcDataBytesBeyondRange : bytes;
}

std::string vtcHeaderProblem(const VtcFileHeader& header, std::uint64_t fileSize) {
    if (header.numberOfVolumes <= 0)
        return formatText("the number of volumes is %d; it must be positive", header.numberOfVolumes);
    if (header.resolution <= 0)
        return formatText("the resolution is %d; it must be positive", header.resolution);
    static const char* const axes[] = {"X", "Y", "Z"};
    for (int axis = 0; axis < 3; ++axis) {
        if (header.bounds[2 * axis + 1] < header.bounds[2 * axis]) {
            return formatText("the %s bounds end (%d) before they start (%d)", axes[axis],
                              header.bounds[2 * axis + 1], header.bounds[2 * axis]);
        }
    }
    if (!std::isfinite(header.repetitionTimeMs) || header.repetitionTimeMs <= 0.0f)
        return formatText("the TR is %g ms; it must be a positive number", double(header.repetitionTimeMs));
    if (header.dataType != 1 && header.dataType != 2)
        return formatText("the data type is %d; only 1 (16-bit integers) and 2 (32-bit floats) exist",
                          header.dataType);
    std::uint64_t needed = 0;
    if (__builtin_add_overflow(header.headerLength, vtcDataBytes(header), &needed) ||
        vtcDataBytes(header) == vtcDataBytesBeyondRange)
        return formatText("the file holds %llu bytes but its header promises more than 64-bit sizes count",
                          static_cast<unsigned long long>(fileSize));
    if (fileSize < needed) {
        return formatText("the file holds %llu bytes but its header promises %llu",
                          static_cast<unsigned long long>(fileSize), static_cast<unsigned long long>(needed));
    }
    return {};
}

std::string vtcHeaderBytes(const VtcFileHeader& header) {
    std::string out;
    putInt16(out, header.version);
    putText(out, header.sourceName);
    if (header.version == 3) {
        putInt16(out, static_cast<int>(header.protocolNames.size()));
        for (const std::string& name : header.protocolNames) putText(out, name);
        putInt16(out, header.currentProtocol);
        putInt16(out, header.dataType);
        putInt16(out, header.numberOfVolumes);
        putInt16(out, header.resolution);
        for (int bound : header.bounds) putInt16(out, bound);
        out.push_back(static_cast<char>(header.leftRightConvention));
        out.push_back(static_cast<char>(header.referenceSpace));
        putFloat32(out, header.repetitionTimeMs);
    } else {
        putText(out, header.protocolNames.empty() ? std::string() : header.protocolNames.front());
        putInt16(out, header.numberOfVolumes);
        putInt16(out, header.resolution);
        for (int bound : header.bounds) putInt16(out, bound);
        putInt16(out, header.haemodynamicDelay);
        putFloat32(out, header.repetitionTimeMs);
        putFloat32(out, header.hrfDelta);
        putFloat32(out, header.hrfTau);
        putInt16(out, header.segmentSize);
        putInt16(out, header.segmentOffset);
    }
    return out;
}

VtcFileHeader withProtocol(VtcFileHeader header, const std::string& protocolName) {
    header.protocolNames.clear();
    if (!protocolName.empty()) header.protocolNames.push_back(protocolName);
    header.currentProtocol = 0;
    return header;
}

ParseResult<VtcFileHeader> readVtcHeader(const std::string& path) {
    // A stream opens a folder too, and reads it as an empty file.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return ParseResult<VtcFileHeader>::failure("it is a folder, not a file");
    // A pipe could keep the run waiting for a writer, a device give bytes without end.
    if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        return ParseResult<VtcFileHeader>::failure("it is a pipe or a device, not a file");
    std::ifstream in(path, std::ios::binary);
    if (!in) return ParseResult<VtcFileHeader>::failure(std::string("cannot open the file for reading: ") + std::strerror(errno));
    ParseResult<VtcFileHeader> result = parseVtcHeader(in);
    if (!result) return result;
    in.clear();
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return ParseResult<VtcFileHeader>::failure("cannot tell the size of the file");
    std::string problem = vtcHeaderProblem(*result.value, static_cast<std::uint64_t>(size));
    if (!problem.empty()) return ParseResult<VtcFileHeader>::failure(std::move(problem));
    return result;
}

}  // namespace morvane
