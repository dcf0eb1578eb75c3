#include "confounds/confoundFileFrame.h"

#include <fstream>
#include <iterator>
#include <string_view>

#include "common/text.h"
#include "host/hostLog.h"

std::optional<std::string> loadConfoundFile(const char* path) {
    if (path == nullptr) return std::nullopt;
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file.is_open()) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return bytes;
}

void logReadingFile(const char* path) {
    logText(formatText("Reading file: %s", path != nullptr ? path : ""));
}

bool readConfoundHeader(TextCursor& cursor, ConfoundFileForm form, ConfoundRecord& record) {
    std::string_view key;
    if (form == ConfoundFileForm::Rtc) {
        record.includesConstant = 0;
        record.firstConfound = 1;
        std::string_view skipped;
        return cursor.readWord(key) && cursor.readInt(record.fileVersion) &&
               cursor.readWord(key) && cursor.readWord(skipped) &&
               cursor.readWord(key) && cursor.readInt(record.predictorCount) &&
               cursor.readWord(key) && cursor.readInt(record.dataPointCount);
    }
    return cursor.readWord(key) && cursor.readInt(record.fileVersion) &&
           cursor.readWord(key) && cursor.readInt(record.predictorCount) &&
           cursor.readWord(key) && cursor.readInt(record.dataPointCount) &&
           cursor.readWord(key) && cursor.readInt(record.includesConstant) &&
           cursor.readWord(key) && cursor.readInt(record.firstConfound);
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

bool countFits(long long count, long long bytesEach, const TextCursor& cursor) {
    if (count < 0) return false;
    // Callers pass 32-bit counts, or the product of two, with a small bytesEach: no overflow.
    return count * bytesEach <= static_cast<long long>(cursor.remaining());
}
