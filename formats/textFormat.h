// printf-style formatting into a text of whatever length it needs.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

#if defined(__MINGW32__) && !defined(__clang__)
// MinGW's C++ runtime formats with its own C99 printf, not Microsoft's.
__attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string formatText(const char* format, ...);

// A text from a file made fit to quote in a message: control characters (but the tab) and
// bytes that are no UTF-8 as \xNN, so that names in any script stay readable and garbage
// cannot reach the terminal; about `longest` bytes of the text, with "..." after a cut.
std::string visibleText(std::string_view text, std::size_t longest = 120);

// The text without blanks, tabs, carriage returns and line feeds at either end.
std::string_view trimmed(std::string_view text);

// Case-insensitive comparison of ASCII texts.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// The folder part of a path ("" when it has none) and its last component.
std::string folderOf(const std::string& path);
std::string lastComponent(const std::string& path);

// folder + "/" + name, or name alone for an empty folder.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace morvane
