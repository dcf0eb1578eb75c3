#include "confounds/confoundFileFrame.h"

#include <fstream>

#include "common/text.h"
#include "host/hostLog.h"

namespace {

void logReadingFile(const char* path) {
    logText(formatText("Reading file: %s", path != nullptr ? path : ""));
}

// The RTC form has no constant flag and no first-confound number: they are 0 and 1. The
// values read stay in the record when the header breaks off.
bool readHeader(TokenReader& tokens, ConfoundFileForm form, ConfoundRecord& record) {
    std::string_view key;
    if (form == ConfoundFileForm::Rtc) {
        record.includesConstant = 0;
        record.firstConfound = 1;
        std::string_view skipped;
        return tokens.readWord(key) && tokens.readInt(record.fileVersion) &&
               tokens.readWord(key) && tokens.readWord(skipped) &&
               tokens.readWord(key) && tokens.readInt(record.predictorCount) &&
               tokens.readWord(key) && tokens.readInt(record.dataPointCount);
    }
    return tokens.readWord(key) && tokens.readInt(record.fileVersion) &&
           tokens.readWord(key) && tokens.readInt(record.predictorCount) &&
           tokens.readWord(key) && tokens.readInt(record.dataPointCount) &&
           tokens.readWord(key) && tokens.readInt(record.includesConstant) &&
           tokens.readWord(key) && tokens.readInt(record.firstConfound);
}

void logHeaderReport(const ConfoundRecord& record) {
    logText(formatText(
        "Fileversion: %i\nNr of Predictors: %i\nNr of datapoints: %i\nIncludes constant: %i\nFirst confound: %i",
        record.fileVersion, record.predictorCount, record.dataPointCount, record.includesConstant,
        record.firstConfound));
}

std::unique_ptr<ConfoundRecord> readTokens(TokenReader& tokens, const char* path, ConfoundKind kind,
                                           ConfoundFileForm form, ConfoundBodyReader body) {
    std::unique_ptr<ConfoundRecord> record = makeConfoundRecord(kind, path);
    logReadingFile(path);
    bool complete = false;
    try {
        if (readHeader(tokens, form, *record)) {
            logHeaderReport(*record);
            complete = body(tokens, *record, form);
        }
    } catch (...) {
        // Memory exhausted: the file is abandoned like any text that cannot be read.
        complete = false;
    }
    if (!complete) {
        logText(form == ConfoundFileForm::Rtc ? "Problem with reading *.rtc file. Please check results."
                                              : "Problem with reading *.sdm file. Please check results.");
        record->readOk = false;
    }
    return record;
}

}  // namespace

std::unique_ptr<ConfoundRecord> readConfoundText(std::string_view bytes, const char* path, ConfoundKind kind,
                                                 ConfoundFileForm form, ConfoundBodyReader body) {
    TokenReader tokens(bytes);
    return readTokens(tokens, path, kind, form, body);
}

std::unique_ptr<ConfoundRecord> readConfoundFile(const char* path, ConfoundKind kind, ConfoundFileForm form,
                                                 const char* openFailure, ConfoundBodyReader body) {
    // Binary: a carriage return is white space to the readers anyway.
    // A folder, pipe or device is no file to read (a pipe could keep the run waiting).
    std::ifstream file;
    if (path != nullptr && !namesNonRegularFile(path)) file.open(path, std::ios::in | std::ios::binary);
    if (!file.is_open()) {
        logReadingFile(path);
        logText(openFailure);
        return makeConfoundRecord(kind, path);
    }
    // The length bounds the counts the file can hold.
    file.seekg(0, std::ios::end);
    const std::streamoff length = file.tellg();
    file.seekg(0, std::ios::beg);
    file.clear();
    TokenReader tokens(file.rdbuf(), length >= 0 ? static_cast<std::uint64_t>(length) : TokenReader::unknownSize);
    return readTokens(tokens, path, kind, form, body);
}

bool countFits(long long count, long long bytesEach, const TokenReader& tokens) {
    if (count < 0) return false;
    // Callers pass 32-bit counts, or the product of two, with a small bytesEach: no overflow.
    return static_cast<std::uint64_t>(count * bytesEach) <= tokens.remaining();
}
