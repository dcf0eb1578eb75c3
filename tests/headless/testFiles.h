// Scratch folders and small files for the host's tests.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "formats/vtcFile.h"

namespace morvane::testing {

// A fresh folder, removed with everything in it when the object goes.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "morvane-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Every file directly in `folder`, by name, with its bytes: to compare a folder before and
// after a run, or two runs' folders.
inline std::map<std::string, std::string> folderContent(const std::string& folder) {
    std::map<std::string, std::string> content;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        content[entry.path().filename().string()] = readFile(entry.path().string());
    return content;
}

// A version 3 float VTC header of 2 x 2 x 1 voxels (resolution 1).
inline VtcFileHeader smallVtcHeader(int volumes = 10, float trMs = 2000.0f) {
    VtcFileHeader header;
    header.version = 3;
    header.sourceName = "run.fmr";
    header.dataType = 2;
    header.numberOfVolumes = volumes;
    header.resolution = 1;
    header.bounds = {0, 2, 0, 2, 0, 1};
    header.repetitionTimeMs = trMs;
    return header;
}

// The header's bytes followed by recognisable data bytes and a trailer.
inline std::string vtcFileBytes(const VtcFileHeader& header, const std::string& trailer = "") {
    std::string data(vtcDataBytes(header), '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    return vtcHeaderBytes(header) + data + trailer;
}

inline const char* const volumesProtocol =
    "FileVersion:        2\n\nResolutionOfTime:   Volumes\n\nExperiment:         Blocks, two\n\n"
    "BackgroundColor:    0 0 0\nTextColor:          255 255 202\nTimeCourseColor:    255 255 255\n"
    "TimeCourseThick:    3\nReferenceFuncColor: 192 192 192\nReferenceFuncThick: 2\n\nNrOfConditions:  2\n\n"
    "Rest\n1\n 1 5\nColor: 100 100 100\n\nTask A\n2\n 6 8\n 9 10\nColor: 255 128 0\n";

}  // namespace morvane::testing
