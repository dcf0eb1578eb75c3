#include "confounds/confoundRecord.h"

std::unique_ptr<ConfoundRecord> makeConfoundRecord(ConfoundKind kind, const char* path) {
    auto record = std::make_unique<ConfoundRecord>();
    record->kind = kind;
    record->path = path != nullptr ? path : "";
    return record;
}

void releaseConfoundRecord(std::unique_ptr<ConfoundRecord>& record) { record.reset(); }
