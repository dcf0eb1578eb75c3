// The frame the four confound readers share: the record, the file, the "Reading file" line,
// the header in its two forms with its report, and giving up on a text that cannot be
// trusted. Each reader adds only the body that reads colours, names and values.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "confounds/confoundRecord.h"
#include "confounds/tokenReader.h"

enum class ConfoundFileForm { Rtc, Sdm };

// Reads what follows the header into the record; false abandons the file.
using ConfoundBodyReader = bool (*)(TokenReader& tokens, ConfoundRecord& record, ConfoundFileForm form);

// From text in memory, for tests and fuzzers.
std::unique_ptr<ConfoundRecord> readConfoundText(std::string_view bytes, const char* path, ConfoundKind kind,
                                                 ConfoundFileForm form, ConfoundBodyReader body);

// From the file at the path; logs openFailure when it cannot be opened.
std::unique_ptr<ConfoundRecord> readConfoundFile(const char* path, ConfoundKind kind, ConfoundFileForm form,
                                                 const char* openFailure, ConfoundBodyReader body);

// Whether `count` items of at least `bytesEach` characters can still stand in the text: a
// negative count, or one the rest of the file cannot hold, is not believed.
bool countFits(long long count, long long bytesEach, const TokenReader& tokens);
