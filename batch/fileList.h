// The file list that drives a batch run: a declared count of PRT-VTC pairs followed by
// white-space separated paths, each classified by the markers in its text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The codes are part of the plugin's vocabulary (logs, tools); keep them.
enum class FileKind : std::int32_t {
    Other = 0,
    Prt = 1,
    Vtc = 2,
    Motion = 3,
    HeartRate = 4,
    Respiration = 5,
};

// Entries are handed to the host and to the confound readers in 512-byte buffers.
inline constexpr std::size_t maxEntryLength = 511;

struct FileList {
    std::int32_t declaredCount = 0;          // 0 when the list starts with no number
    std::vector<std::string> names;          // entries in file order, exactly as written
    std::vector<FileKind> kinds;             // one per entry, once classified
    std::vector<std::int32_t> protocolPositions;  // positions of the PRT entries, ascending
};

// The list's text as read, before anything is logged.
struct FileListText {
    std::int32_t declaredCount = 0;
    std::vector<std::string> names;
    // The text that ended the list: "^" at the end of the file, else the end-mark token.
    // Empty when an over-long entry stopped the reading.
    std::string closingText;
    // An entry longer than maxEntryLength, which makes the list unusable.
    std::optional<std::string> overlongEntry;
};

// Reads the count ("%d": white space skipped, optional sign; 0 and nothing consumed but a sign
// when no digits follow) and then the entries ("%s" tokens) up to the end of the text or the
// first token shorter than two characters.
FileListText parseFileList(std::string_view bytes);

// Reads and logs the list: the count, "Reading filenames...", every token, and the list's
// path. No list, after one log line, when an entry is longer than 511 characters.
std::optional<FileList> readFileListFrom(std::istream& input, const std::string& listPath);

// The same for the file at listPath; no list, after one log line naming the path, when the
// file cannot be opened.
std::optional<FileList> readFileList(const std::string& listPath);

// The kind decided by the first marker found anywhere in the text, case-sensitively, in the
// order ".prt", ".vtc", "_3DMC", "_HR", "_RVT".
FileKind classifyFileName(std::string_view entry);

// Fills kinds and protocolPositions; warns when the protocols found differ from the count.
void classifyFileList(FileList& list);

// The entries that belong to the k-th protocol.
struct ProtocolGroup {
    std::size_t protocol = 0;                // position of the PRT entry
    std::optional<std::size_t> timeCourse;   // the entry right after it, when that is a VTC
    std::size_t followersBegin = 0;          // [followersBegin, followersEnd): up to the next
    std::size_t followersEnd = 0;            // PRT or the end of the list; may be empty
};

ProtocolGroup protocolGroup(const FileList& list, std::size_t k);
