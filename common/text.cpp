#include "common/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

std::string formatText(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list counting;
    va_copy(counting, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, counting);
    va_end(counting);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    }
    va_end(arguments);
    return text;
}

std::optional<std::string> fileNameFromPath(const char* path, bool stopAtExtension) {
    if (path == nullptr || path[0] == '\0') return std::nullopt;
    const std::string_view whole(path);
    const char separator = whole.find('/') != std::string_view::npos ? '/' : '\\';
    const std::size_t lastSeparator = whole.rfind(separator);
    const std::size_t nameStart = lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
    std::string_view name = whole.substr(nameStart);
    if (stopAtExtension) {
        // A name without a '.', or whose only '.' leads it (a hidden file), has no
        // extension to lose and stays whole.
        const std::size_t lastDot = name.rfind('.');
        if (lastDot != std::string_view::npos && lastDot > 0) name = name.substr(0, lastDot);
    }
    return std::string(name);
}

std::string stripExtension(const char* name) {
    if (name == nullptr || name[0] == '\0') return "''";
    const std::string_view whole(name);
    const std::size_t lastDot = whole.rfind('.');
    if (lastDot == std::string_view::npos) return "";
    return std::string(whole.substr(0, lastDot));
}

std::string appendToFileStem(const char* path, const char* inserted, char separator) {
    const std::string_view whole(path != nullptr ? path : "");
    const std::string_view tail = whole.substr(whole.size() < 3 ? 0 : whole.size() - 3);
    std::string result = stripExtension(path);
    result += separator;
    result += inserted != nullptr ? inserted : "";
    result += '.';
    result += tail;
    return result;
}

std::optional<std::string> insertBeforeExtension(std::string_view name, std::string_view suffix) {
    if (name.size() < 4) return std::nullopt;
    const std::size_t cut = name.size() - 4;
    std::string result(name.substr(0, cut));
    result += suffix;
    result += name.substr(cut);
    return result;
}

bool containsText(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool namesNonRegularFile(const char* path) {
    if (path == nullptr || *path == '\0') return false;
    std::error_code unknown;
    const std::filesystem::file_status status = std::filesystem::status(path, unknown);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}
