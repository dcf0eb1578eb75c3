#include "formats/textFormat.h"

#include <cstdarg>
#include <cstdio>

namespace morvane {

std::string formatText(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        result.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(result.data(), result.size(), format, arguments);
        result.resize(static_cast<std::size_t>(length));
    }
    va_end(arguments);
    return result;
}

namespace {

// The length of the well-formed UTF-8 sequence at the start of the text, or 0.
std::size_t utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead <= 0xDF ? 2 : 0;
    if (length == 0 || text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
    return length;
}

}  // namespace

std::string visibleText(std::string_view text, std::size_t longest) {
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i >= longest) return result + "...";
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t sequence = byte >= 0x80 ? utf8SequenceLength(text.substr(i)) : 1;
        if (sequence == 0 || (byte < 0x20 && byte != '\t') || byte == 0x7F) {
            result += formatText("\\x%02X", byte);
            ++i;
        } else {
            result.append(text.substr(i, sequence));
            i += sequence;
        }
    }
    return result;
}

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Windows separates the parts of a path with backslashes as well as slashes.
#if defined(_WIN32)
constexpr const char* pathSeparators = "/\\";
#else
constexpr const char* pathSeparators = "/";
#endif

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of(pathSeparators);
    if (slash == std::string::npos) return {};
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string lastComponent(const std::string& path) {
    const auto slash = path.find_last_of(pathSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (std::string_view(pathSeparators).find(folder.back()) != std::string_view::npos) return folder + name;
    return folder + "/" + name;
}

}  // namespace morvane
