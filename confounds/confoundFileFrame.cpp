#include "confounds/confoundFileFrame.h"

#include <fstream>
#include <string_view>

#include "common/text.h"
#include "host/hostLog.h"

bool openConfoundFile(const char* path, std::ifstream& file, std::uint64_t& size) {
    if (path == nullptr) return false;
    // Binary: a carriage return is white space to the readers anyway.
    file.open(path, std::ios::in | std::ios::binary);
    if (!file.is_open()) return false;
    file.seekg(0, std::ios::end);
    const std::streamoff length = file.tellg();
    file.seekg(0, std::ios::beg);
    file.clear();
    size = length >= 0 ? static_cast<std::uint64_t>(length) : TokenReader::unknownSize;
    return true;
}

void logReadingFile(const char* path) {
    logText(formatText("Reading file: %s", path != nullptr ? path : ""));
}

bool readConfoundHeader(TokenReader& tokens, ConfoundFileForm form, ConfoundRecord& record) {
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

std::unique_ptr<ConfoundRecord> abandonReading(std::unique_ptr<ConfoundRecord> record,
                                               ConfoundFileForm form) {
    logText(form == ConfoundFileForm::Rtc ? "Problem with reading *.rtc file. Please check results."
                                          : "Problem with reading *.sdm file. Please check results.");
    record->readOk = false;
    return record;
}

bool countFits(long long count, long long bytesEach, const TokenReader& tokens) {
    if (count < 0) return false;
    // Callers pass 32-bit counts, or the product of two, with a small bytesEach: no overflow.
    return static_cast<std::uint64_t>(count * bytesEach) <= tokens.remaining();
}
