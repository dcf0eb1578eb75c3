// Collects output text and hands it on to a stream in large pieces, whole lines only: a
// merge that stops inside a line leaves no part of that line behind.
#pragma once

#include <cstddef>
#include <cstring>
#include <ostream>
#include <string_view>
#include <vector>

#include "confounds/numberFormat.h"

class LineWriter {
public:
    explicit LineWriter(std::ostream& output);
    // Hands on every whole line; a line not ended is dropped.
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void text(std::string_view text) {
        std::memcpy(room(text.size()), text.data(), text.size());
        used_ += text.size();
    }
    void character(char c) { *room(1) = c; ++used_; }
    void integer(long long value);
    // room() may move the buffer: the end of a text is measured only after it.
    void defaultNotation(double value) {
        char* const first = room(longestDefaultNotation);
        used_ += static_cast<std::size_t>(writeDefaultNotation(first, value) - first);
    }
    void fixedSixDecimals(double value) {
        char* const first = room(longestFixedSixDecimals);
        used_ += static_cast<std::size_t>(writeFixedSixDecimals(first, value) - first);
    }
    void endLine();
    // Forgets what was written since the last line end.
    void dropLine() { used_ = lineStart_; }

private:
    char* room(std::size_t size) {
        if (buffer_.size() - used_ < size) makeRoom(size);
        return buffer_.data() + used_;
    }
    void makeRoom(std::size_t size);
    void handOnLines();

    std::ostream& output_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    std::size_t lineStart_ = 0;
};
