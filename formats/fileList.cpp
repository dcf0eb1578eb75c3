#include "formats/fileList.h"

#include <cctype>
#include <charconv>

#include "formats/wholeFile.h"

namespace morvane {

EntryKind entryKind(std::string_view entry) {
    if (entry.find(".prt") != std::string_view::npos) return EntryKind::Protocol;
    if (entry.find(".vtc") != std::string_view::npos) return EntryKind::TimeCourse;
    if (entry.find("_3DMC") != std::string_view::npos) return EntryKind::Motion;
    if (entry.find("_HR") != std::string_view::npos) return EntryKind::HeartRate;
    if (entry.find("_RVT") != std::string_view::npos) return EntryKind::Respiration;
    return EntryKind::Other;
}

ListedRun parseFileList(std::string_view text) {
    ListedRun run;
    std::size_t position = 0;
    auto skipSpace = [&] {
        while (position < text.size() && std::isspace(static_cast<unsigned char>(text[position]))) ++position;
    };
    // The count is read as "%d" reads it: an optional sign and digits, and no further.
    skipSpace();
    {
        std::size_t end = position;
        if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
        const std::size_t digits = end;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end > digits) {
            std::string_view number = text.substr(position, end - position);
            if (number.front() == '+') number.remove_prefix(1);
            long long value = 0;
            std::from_chars(number.data(), number.data() + number.size(), value);
            run.declaredCount = static_cast<int>(value);
        }
        // A sign without digits is taken all the same, as "%d" takes it: it is not part of
        // the first entry.
        position = end;
    }
    while (true) {
        skipSpace();
        const std::size_t start = position;
        while (position < text.size() && !std::isspace(static_cast<unsigned char>(text[position]))) ++position;
        std::string_view entry = text.substr(start, position - start);
        // As in the plugin's name buffer, a NUL ends the text; a token cut short by it can
        // even be the list's end mark.
        entry = entry.substr(0, entry.find('\0'));
        if (entry.size() < 2) break;
        run.entries.emplace_back(entry);
    }

    for (std::size_t i = 0; i < run.entries.size(); ++i) {
        if (entryKind(run.entries[i]) != EntryKind::Protocol) continue;
        ListedGroup group;
        group.protocol = run.entries[i];
        if (i + 1 < run.entries.size() && entryKind(run.entries[i + 1]) == EntryKind::TimeCourse)
            group.timeCourse = run.entries[i + 1];
        std::size_t nextProtocol = i + 1;
        while (nextProtocol < run.entries.size() && entryKind(run.entries[nextProtocol]) != EntryKind::Protocol)
            ++nextProtocol;
        for (std::size_t j = i + 2; j < nextProtocol; ++j) {
            const EntryKind kind = entryKind(run.entries[j]);
            if (kind == EntryKind::Motion) group.motion = run.entries[j];
            if (kind == EntryKind::HeartRate) group.heartRate = run.entries[j];
            if (kind == EntryKind::Respiration) group.respiration = run.entries[j];
        }
        run.groups.push_back(std::move(group));
    }
    return run;
}

ParseResult<ListedRun> readFileList(const std::string& path) {
    ParseResult<std::string> text = readWholeFile(path);
    if (!text) return ParseResult<ListedRun>::failure("the file list " + path + " cannot be read: " + text.error);
    return ParseResult<ListedRun>::success(parseFileList(*text.value));
}

}  // namespace morvane
