// What the four confound readers share: loading the file, the header in its two forms with
// its report, the messages, and the test that a count read from the file can be believed.
#pragma once

#include <cstdint>
#include <fstream>

#include "confounds/confoundRecord.h"
#include "confounds/tokenReader.h"

enum class ConfoundFileForm { Rtc, Sdm };

// Opens the file for reading and tells its length; false when it cannot be opened.
bool openConfoundFile(const char* path, std::ifstream& file, std::uint64_t& size);

void logReadingFile(const char* path);

// Reads the header into the record, keeping the values read so far when it fails. The RTC
// form has no constant flag and no first-confound number: they are 0 and 1.
bool readConfoundHeader(TokenReader& tokens, ConfoundFileForm form, ConfoundRecord& record);

void logHeaderReport(const ConfoundRecord& record);

// Logs the reader's abandon message and marks the record; returns the record.
std::unique_ptr<ConfoundRecord> abandonReading(std::unique_ptr<ConfoundRecord> record,
                                               ConfoundFileForm form);

// Whether `count` items of at least `bytesEach` characters can still stand in the text: a
// negative count, or one the rest of the file cannot hold, is not believed.
bool countFits(long long count, long long bytesEach, const TokenReader& tokens);
