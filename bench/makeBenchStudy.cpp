// Writes a study for the whole-batch benchmark: runs of 2,000 volumes, each a protocol of 40
// conditions with 100 events, a VTC of the requested size (version 3, 32-bit floats), motion,
// heart-rate and respiration files, and a file list naming them all by absolute path.
//
//   quorvel_bench_make_study FOLDER RUNS VTC_MEGABYTES [--vtc-only]
//
// VTC_MEGABYTES is in millions of bytes of voxel data and must be a multiple of 5.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/benchInputs.h"

namespace {

constexpr int volumes = bench::realisticRows;
constexpr float repetitionTimeMs = 2000.0f;
constexpr int resolution = 3;

void putInt16(std::string& out, int value) {
    const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    out.push_back(static_cast<char>(bits & 0xFF));
    out.push_back(static_cast<char>(bits >> 8));
}

std::string vtcHeader(int dimX, int dimY, int dimZ) {
    std::string out;
    putInt16(out, 3);
    out.push_back('\0');  // no source run name
    putInt16(out, 0);     // no linked protocol yet
    putInt16(out, 0);
    putInt16(out, 2);  // 32-bit floats
    putInt16(out, volumes);
    putInt16(out, resolution);
    for (int extent : {dimX, dimY, dimZ}) {
        putInt16(out, 0);
        putInt16(out, extent * resolution);
    }
    out.push_back(1);  // radiological
    out.push_back(2);  // ACPC
    std::uint32_t bits;
    std::memcpy(&bits, &repetitionTimeMs, sizeof bits);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((bits >> shift) & 0xFF));
    return out;
}

// Voxel time courses of plausible floats, written a megabyte at a time.
bool writeVtc(const std::string& path, long long megabytes, std::uint32_t seed) {
    const int dimX = 25, dimY = 25;
    const int dimZ = static_cast<int>(megabytes / 5);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const std::string header = vtcHeader(dimX, dimY, dimZ);
    file.write(header.data(), static_cast<std::streamsize>(header.size()));
    std::uint64_t remaining = static_cast<std::uint64_t>(dimX) * dimY * dimZ * volumes;
    std::vector<float> chunk(1 << 18);
    std::uint32_t state = seed * 2654435761u + 1;
    while (remaining > 0 && file) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, chunk.size()));
        for (std::size_t i = 0; i < count; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            chunk[i] = 1000.0f + static_cast<float>(state % 4096) * 0.0625f;
        }
        file.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(count * sizeof(float)));
        remaining -= count;
    }
    file.close();
    return !file.fail();
}

int usage() {
    std::fprintf(stderr, "usage: quorvel_bench_make_study FOLDER RUNS VTC_MEGABYTES [--vtc-only]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) return usage();
    const bool vtcOnly = argc == 5 && std::strcmp(argv[4], "--vtc-only") == 0;
    if (argc == 5 && !vtcOnly) return usage();
    const int runs = std::atoi(argv[2]);
    const long long megabytes = std::atoll(argv[3]);
    if (runs < 1 || megabytes < 5 || megabytes % 5 != 0) return usage();

    std::error_code error;
    std::filesystem::create_directories(argv[1], error);
    const std::string folder = std::filesystem::absolute(argv[1]).string() + "/";
    bool ok = true;
    for (int run = 1; run <= runs; ++run) {
        char stem[32];
        std::snprintf(stem, sizeof stem, "run%04d", run);
        const std::string base = folder + stem;
        const auto seed = static_cast<std::uint32_t>(run);
        ok = ok && writeVtc(base + ".vtc", megabytes, seed);
        if (vtcOnly) continue;
        ok = ok && bench::writeTextFile(base + ".prt", bench::protocolText(40, 100, volumes, true, repetitionTimeMs, seed));
        ok = ok && bench::writeTextFile(base + "_3DMC.sdm", bench::motionSdmText(volumes, seed + 100));
        ok = ok && bench::writeTextFile(base + "_HR.rtc",
                                        bench::confoundRtcText(volumes, bench::heartRateColumns, seed + 200));
        ok = ok && bench::writeTextFile(base + "_RVT.sdm",
                                        bench::confoundSdmText(volumes, bench::respirationColumns, seed + 300));
    }
    if (!vtcOnly) ok = ok && bench::writeTextFile(folder + "file-list.txt", bench::fileListText(runs, folder));
    if (!ok) {
        std::fprintf(stderr, "quorvel_bench_make_study: cannot write the study in %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
