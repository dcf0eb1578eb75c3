#include "batch/fileList.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>

#include "common/text.h"
#include "host/hostLog.h"

namespace {

// The white space of formatted input in the C locale. '\r' is among it, so a list written
// with CRLF line ends reads the same as on a host that opens it in text mode.
bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

void skipWhiteSpace(std::string_view bytes, std::size_t& position) {
    while (position < bytes.size() && isWhiteSpace(bytes[position])) ++position;
}

// "%d": a sign with no digit after it is consumed and nothing is stored. A value beyond the
// 32-bit range is held at the nearest limit; the count only decides a warning.
std::int32_t readCount(std::string_view bytes, std::size_t& position) {
    skipWhiteSpace(bytes, position);
    bool negative = false;
    if (position < bytes.size() && (bytes[position] == '+' || bytes[position] == '-')) {
        negative = bytes[position] == '-';
        ++position;
    }
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    while (position < bytes.size() && isDigit(bytes[position])) {
        magnitude = std::min(limit, magnitude * 10 + (bytes[position] - '0'));
        ++position;
    }
    const std::int64_t value = negative ? -magnitude : std::min(magnitude, limit - 1);
    return static_cast<std::int32_t>(value);
}

// "%s": the next run of non-white-space characters; no text at the end of the input. A NUL
// ends the text as it would end the text in the reader's buffer.
std::optional<std::string> readToken(std::string_view bytes, std::size_t& position) {
    skipWhiteSpace(bytes, position);
    if (position >= bytes.size()) return std::nullopt;
    const std::size_t start = position;
    while (position < bytes.size() && !isWhiteSpace(bytes[position])) ++position;
    std::string_view token = bytes.substr(start, position - start);
    token = token.substr(0, token.find('\0'));
    return std::string(token);
}

}  // namespace

FileListText parseFileList(std::string_view bytes) {
    FileListText text;
    std::size_t position = 0;
    text.declaredCount = readCount(bytes, position);
    for (;;) {
        std::optional<std::string> token = readToken(bytes, position);
        if (!token) {
            text.closingText.assign(1, '^');  // the mark left in the reader's buffer
            break;
        }
        if (token->size() > maxEntryLength) {
            text.overlongEntry = std::move(*token);
            break;
        }
        if (token->size() < 2) {
            text.closingText = std::move(*token);
            break;
        }
        text.names.push_back(std::move(*token));
    }
    return text;
}

std::optional<FileList> readFileListFrom(std::istream& input, const std::string& listPath) {
    const std::string bytes((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
    FileListText text = parseFileList(bytes);

    logText(formatText("Number of PRT-VTC pairs: %d", text.declaredCount));
    logText("Reading filenames...");
    for (const std::string& name : text.names) logText(name);
    if (text.overlongEntry) {
        // A cut path would name some other file; better not to run the list at all.
        logText(formatText("File name longer than %zu characters in the file list, the list is "
                           "not processed: %s",
                           maxEntryLength, text.overlongEntry->c_str()));
        return std::nullopt;
    }
    logText(text.closingText);
    logText(formatText("Generating SDM(s) from: %s", listPath.c_str()));

    FileList list;
    list.declaredCount = text.declaredCount;
    list.names = std::move(text.names);
    return list;
}

std::optional<FileList> readFileList(const std::string& listPath) {
    // A folder opens as a stream too and would read as an empty list; a pipe may keep the
    // run waiting for ever, a device give text without end.
    std::ifstream input;
    if (!namesNonRegularFile(listPath.c_str())) input.open(listPath, std::ios::binary);
    if (!input.is_open()) {
        logText(formatText("Unable to open the file list: %s", listPath.c_str()));
        return std::nullopt;
    }
    return readFileListFrom(input, listPath);
}

FileKind classifyFileName(std::string_view entry) {
    struct Marker {
        std::string_view text;
        FileKind kind;
    };
    // The order decides when an entry holds more than one marker.
    static constexpr Marker markers[] = {
        {".prt", FileKind::Prt},           {".vtc", FileKind::Vtc},
        {"_3DMC", FileKind::Motion},       {"_HR", FileKind::HeartRate},
        {"_RVT", FileKind::Respiration},
    };
    for (const Marker& marker : markers) {
        if (containsText(entry, marker.text)) return marker.kind;
    }
    return FileKind::Other;
}

void classifyFileList(FileList& list) {
    list.kinds.clear();
    list.protocolPositions.clear();
    for (std::size_t i = 0; i < list.names.size(); ++i) {
        const FileKind kind = classifyFileName(list.names[i]);
        list.kinds.push_back(kind);
        if (kind == FileKind::Prt) list.protocolPositions.push_back(static_cast<std::int32_t>(i));
    }
    if (static_cast<std::int64_t>(list.protocolPositions.size()) != list.declaredCount) {
        logText("Warning: not all files have been properly read or classified.");
    }
}

ProtocolGroup protocolGroup(const FileList& list, std::size_t k) {
    const std::size_t entryCount = list.names.size();
    ProtocolGroup group;
    group.protocol = static_cast<std::size_t>(list.protocolPositions[k]);
    const std::size_t next = group.protocol + 1;
    if (next < entryCount && list.kinds[next] == FileKind::Vtc) group.timeCourse = next;
    group.followersEnd = k + 1 < list.protocolPositions.size()
                             ? static_cast<std::size_t>(list.protocolPositions[k + 1])
                             : entryCount;
    group.followersBegin = std::min(group.protocol + 2, group.followersEnd);
    return group;
}
