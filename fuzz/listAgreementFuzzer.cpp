// The plugin and the headless host read a file list each on its own: the plugin to run it,
// the host to check afterwards what the run should have made. For any bytes they must see
// the same entries, protocols, time courses and confound files, or the host would judge a
// run by a list the plugin did not run.
#include <sstream>
#include <string>

#include "batch/fileList.h"
#include "fuzz/fuzzSupport.h"
#include "formats/fileList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    installQuietLog();
    const std::string_view bytes = fuzzBytes(data, size);
    std::istringstream input{std::string(bytes)};
    std::optional<FileList> plugin = readFileListFrom(input, "fuzz-list.txt");
    if (!plugin) return 0;  // the plugin refuses the list and runs nothing
    classifyFileList(*plugin);
    const morvane::ListedRun host = morvane::parseFileList(bytes);

    fuzzCheck(host.entries == plugin->names, "the same entries");
    fuzzCheck(host.groups.size() == plugin->protocolPositions.size(), "the same protocols");
    for (std::size_t k = 0; k < host.groups.size(); ++k) {
        const ProtocolGroup group = protocolGroup(*plugin, k);
        fuzzCheck(host.groups[k].protocol == plugin->names[group.protocol], "the same protocol entry");
        fuzzCheck(host.groups[k].timeCourse.has_value() == group.timeCourse.has_value() &&
                      (!group.timeCourse || *host.groups[k].timeCourse == plugin->names[*group.timeCourse]),
                  "the same time course");
        // The last entry of each kind among the followers is the group's confound file.
        std::optional<std::string> motion, heartRate, respiration;
        for (std::size_t i = group.followersBegin; i < group.followersEnd; ++i) {
            if (plugin->kinds[i] == FileKind::Motion) motion = plugin->names[i];
            if (plugin->kinds[i] == FileKind::HeartRate) heartRate = plugin->names[i];
            if (plugin->kinds[i] == FileKind::Respiration) respiration = plugin->names[i];
        }
        fuzzCheck(host.groups[k].motion == motion && host.groups[k].heartRate == heartRate &&
                      host.groups[k].respiration == respiration,
                  "the same confound files");
    }
    return 0;
}
