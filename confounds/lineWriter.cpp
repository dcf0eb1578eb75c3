#include "confounds/lineWriter.h"

#include <charconv>
#include <cstring>

namespace {
constexpr std::size_t handOnSize = 64 * 1024;
constexpr std::size_t fullSize = 2 * handOnSize;
// A small file never needs the full buffer; a large one reaches it after a few lines.
constexpr std::size_t firstSize = 4 * 1024;
}

LineWriter::LineWriter(std::ostream& output) : output_(output), buffer_(firstSize) {}

LineWriter::~LineWriter() {
    handOnLines();
    output_.flush();
}

void LineWriter::integer(long long value) {
    char* const first = room(24);
    used_ += static_cast<std::size_t>(std::to_chars(first, first + 24, value).ptr - first);
}

void LineWriter::endLine() {
    character('\n');
    lineStart_ = used_;
    if (used_ >= handOnSize) handOnLines();
}

// Writes the whole lines and keeps the line in progress, moved to the front.
void LineWriter::handOnLines() {
    if (lineStart_ == 0) return;
    output_.write(buffer_.data(), static_cast<std::streamsize>(lineStart_));
    const std::size_t partial = used_ - lineStart_;
    if (partial > 0) std::memmove(buffer_.data(), buffer_.data() + lineStart_, partial);
    used_ = partial;
    lineStart_ = 0;
}

void LineWriter::makeRoom(std::size_t size) {
    // Up to its full size the buffer doubles, and hands on nothing: lines are handed on at
    // the same places as in a buffer that had its full size from the start.
    if (buffer_.size() < fullSize) {
        std::size_t grown = buffer_.size();
        while (grown < fullSize && grown - used_ < size) grown *= 2;
        buffer_.resize(grown);
        if (buffer_.size() - used_ >= size) return;
    }
    handOnLines();
    // A line longer than the buffer makes it grow.
    if (buffer_.size() - used_ < size) buffer_.resize(used_ + size + buffer_.size());
}
