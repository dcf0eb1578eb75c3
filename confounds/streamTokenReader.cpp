#include "confounds/streamTokenReader.h"

#include <cstring>

namespace {
constexpr std::size_t chunkSize = 64 * 1024;
}

StreamTokenReader::StreamTokenReader(std::streambuf* source) : source_(source), buffer_(chunkSize) {
    exhausted_ = source_ == nullptr;
}

// Keeps the unread text, moved to the front, and appends what the source gives next; the
// buffer grows only when the unread text fills it.
bool StreamTokenReader::loadMore() {
    if (exhausted_) return false;
    const std::size_t unread = end_ - position_;
    if (position_ > 0) {
        if (unread > 0) std::memmove(buffer_.data(), buffer_.data() + position_, unread);
        position_ = 0;
        end_ = unread;
    }
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    const std::streamsize wanted = static_cast<std::streamsize>(buffer_.size() - end_);
    const std::streamsize got = source_->sgetn(buffer_.data() + end_, wanted);
    if (got <= 0) {
        exhausted_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(got);
    return true;
}

bool StreamTokenReader::skipSpace() {
    for (;;) {
        while (position_ != end_ && isStreamSpace(buffer_[position_])) ++position_;
        if (position_ != end_) return true;
        if (!loadMore()) return false;
    }
}

template <typename Scan>
bool StreamTokenReader::readToken(Scan scan, std::string_view& token) {
    if (!skipSpace()) return false;
    for (;;) {
        const char* first = buffer_.data() + position_;
        const ScanResult result = scan(first, buffer_.data() + end_, !exhausted_);
        if (result.status == ScanStatus::NeedMore) {
            // At the end of the source the scan decides with what it has.
            loadMore();
            continue;
        }
        if (result.status != ScanStatus::Ok) return false;
        token = std::string_view(first, result.length);
        position_ += result.length;
        return true;
    }
}

bool StreamTokenReader::readInt(std::int32_t& value) {
    std::string_view token;
    return readToken([&value](const char* first, const char* last,
                              bool more) { return scanInt(first, last, more, value); },
                     token);
}

bool StreamTokenReader::readDouble(double& value) {
    std::string_view token;
    return readToken([&value](const char* first, const char* last,
                              bool more) { return scanDouble(first, last, more, value); },
                     token);
}

bool StreamTokenReader::readWord(std::string_view& word) { return readToken(scanWord, word); }

bool StreamTokenReader::readName(std::string_view& name) { return readToken(scanName, name); }
