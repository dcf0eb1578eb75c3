#include "confounds/lineWriter.h"

#include <charconv>
#include <cstring>

namespace {
constexpr std::size_t handOnSize = 64 * 1024;
}

LineWriter::LineWriter(std::ostream& output) : output_(output), buffer_(2 * handOnSize) {}

LineWriter::~LineWriter() {
    handOnLines();
    output_.flush();
}

void LineWriter::integer(long long value) {
    used_ = static_cast<std::size_t>(std::to_chars(room(24), buffer_.data() + buffer_.size(), value).ptr - buffer_.data());
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
    handOnLines();
    // A line longer than the buffer makes it grow.
    if (buffer_.size() - used_ < size) buffer_.resize(used_ + size + buffer_.size());
}
