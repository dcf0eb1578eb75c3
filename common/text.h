// Small text and path operations shared by the batch run, the design matrix and the
// confound stage. Each returns a new text that the caller owns.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// printf-style formatting into a text of whatever length the result needs, so that a
// log line is never cut, however long the paths in it are.
#if defined(__MINGW32__) && !defined(__clang__)
// MinGW's C++ runtime formats with its own C99 printf, not Microsoft's.
__attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string formatText(const char* format, ...);

// The last component of a path: after the last '/' when the path holds one, otherwise
// after the last '\\'. With stopAtExtension the name also loses everything from its
// last '.' on. No text for an absent or empty path.
std::optional<std::string> fileNameFromPath(const char* path, bool stopAtExtension);

// The characters before the last '.' anywhere in the text; "" when there is none, and the
// two-character text "''" for an absent or empty name.
std::string stripExtension(const char* name);

// stripExtension(path), the separator, the inserted text, ".", and the path's last three
// characters: run1.vtc + faces -> run1_faces.vtc.
std::string appendToFileStem(const char* path, const char* inserted, char separator);

// The name without its last four characters, the suffix, then those four characters:
// run1.sdm + _HR -> run1_HR.sdm. No text for a name shorter than four characters.
std::optional<std::string> insertBeforeExtension(std::string_view name, std::string_view suffix);

// Whether the path names something that is there but is no regular file: a folder, a pipe,
// a device, a socket. Opening such a thing may wait for a writer that never comes, and
// reading it may never end. A path that names nothing is not such a thing.
bool namesNonRegularFile(const char* path);

// Case-sensitive substring test on the whole text.
bool containsText(std::string_view text, std::string_view part);
