// The plugin's file list: any bytes are read, logged and classified, and every protocol
// group stays inside the list.
#include <sstream>
#include <string>

#include "batch/fileList.h"
#include "fuzz/fuzzSupport.h"

namespace {

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    installQuietLog();
    const std::string_view bytes = fuzzBytes(data, size);

    const FileListText text = parseFileList(bytes);
    for (const std::string& name : text.names) {
        fuzzCheck(name.size() >= 2 && name.size() <= maxEntryLength, "an entry has 2 to 511 characters");
        for (char c : name) fuzzCheck(!isWhiteSpace(c) && c != '\0', "an entry holds no white space and no NUL");
    }
    fuzzCheck(text.overlongEntry.has_value() || text.closingText.size() < 2, "the list ends at a short token");

    std::istringstream input{std::string(bytes)};
    std::optional<FileList> list = readFileListFrom(input, "fuzz-list.txt");
    fuzzCheck(list.has_value() != text.overlongEntry.has_value(), "only an over-long entry refuses the list");
    if (!list) return 0;
    fuzzCheck(list->names == text.names, "the stream reader reads what the byte reader reads");

    classifyFileList(*list);
    fuzzCheck(list->kinds.size() == list->names.size(), "one kind per entry");
    for (std::size_t k = 0; k < list->protocolPositions.size(); ++k) {
        const ProtocolGroup group = protocolGroup(*list, k);
        fuzzCheck(group.protocol < list->names.size() && list->kinds[group.protocol] == FileKind::Prt,
                  "a group opens at a protocol");
        if (group.timeCourse)
            fuzzCheck(*group.timeCourse == group.protocol + 1 && list->kinds[*group.timeCourse] == FileKind::Vtc,
                      "the time course follows its protocol");
        fuzzCheck(group.followersBegin <= group.followersEnd && group.followersEnd <= list->names.size(),
                  "the followers lie inside the list");
        for (std::size_t i = group.followersBegin; i < group.followersEnd; ++i)
            fuzzCheck(list->kinds[i] != FileKind::Prt, "no protocol among the followers");
    }
    return 0;
}
