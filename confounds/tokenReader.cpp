#include "confounds/tokenReader.h"

#include <bit>
#include <cstring>

namespace {
constexpr std::size_t chunkSize = 64 * 1024;
// A small file never needs a whole chunk; a large one reaches it after a few loads.
constexpr std::size_t firstChunkSize = 4 * 1024;
}

TokenReader::TokenReader(std::string_view text)
    : data_(text.data()), end_(text.size()), size_(text.size()) {}

TokenReader::TokenReader(std::streambuf* source, std::uint64_t size)
    : source_(source), storage_(firstChunkSize), data_(storage_.data()), exhausted_(source == nullptr), size_(size) {}

std::uint64_t TokenReader::remaining() const {
    if (size_ == unknownSize) return unknownSize;
    const std::uint64_t consumed = passed_ + position_;
    return consumed < size_ ? size_ - consumed : 0;
}

// Keeps the unread text, moved to the front, and appends what the source gives next; the
// buffer doubles from one load to the next until it holds a chunk, and beyond that only when
// the unread text fills it.
bool TokenReader::loadMore() {
    if (exhausted_) return false;
    const std::size_t unread = end_ - position_;
    if (position_ > 0) {
        if (unread > 0) std::memmove(storage_.data(), storage_.data() + position_, unread);
        passed_ += position_;
        position_ = 0;
        end_ = unread;
    }
    if (end_ == storage_.size() || (storage_.size() < chunkSize && passed_ > 0)) storage_.resize(storage_.size() * 2);
    data_ = storage_.data();
    const std::streamsize wanted = static_cast<std::streamsize>(storage_.size() - end_);
    const std::streamsize got = source_->sgetn(storage_.data() + end_, wanted);
    if (got <= 0) {
        exhausted_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(got);
    return true;
}

bool TokenReader::skipSpace() {
    for (;;) {
        // Locals, so that the loop need not store the position after every character.
        const char* const data = data_;
        std::size_t position = position_;
        const std::size_t end = end_;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        // Values in fixed-width fields stand behind runs of blanks: eight bytes at a time
        // tell how many blanks lead; any other white space is left to the loop below.
        while (end - position >= 8) {
            std::uint64_t chunk = 0;
            std::memcpy(&chunk, data + position, sizeof chunk);
            const std::uint64_t notBlank = chunk ^ 0x2020202020202020ULL;
            if (notBlank == 0) {
                position += 8;
                continue;
            }
            position += static_cast<std::size_t>(std::countr_zero(notBlank) / 8);
            break;
        }
#endif
        while (position != end && isStreamSpace(data[position])) ++position;
        position_ = position;
        if (position != end) return true;
        if (!loadMore()) return false;
    }
}

template <typename Scan>
bool TokenReader::readToken(Scan scan, std::string_view& token) {
    if (!skipSpace()) return false;
    for (;;) {
        const char* first = data_ + position_;
        const ScanResult result = scan(first, data_ + end_, !exhausted_);
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

bool TokenReader::readInt(std::int32_t& value) {
    std::string_view token;
    return readToken([&value](const char* first, const char* last,
                              bool more) { return scanInt(first, last, more, value); },
                     token);
}

bool TokenReader::readDouble(double& value) {
    std::string_view token;
    return readToken([&value](const char* first, const char* last,
                              bool more) { return scanDouble(first, last, more, value); },
                     token);
}

bool TokenReader::readDoubleText(std::string_view& text, bool& defaultNotation) {
    return readToken([&defaultNotation](const char* first, const char* last, bool more) {
        return scanDoubleText(first, last, more, defaultNotation);
    }, text);
}

bool TokenReader::readChar(char& value) {
    if (!skipSpace()) return false;
    value = data_[position_++];
    return true;
}

bool TokenReader::readWord(std::string_view& word) { return readToken(scanWord, word); }

bool TokenReader::readName(std::string_view& name) { return readToken(scanName, name); }
