// Streams for the targets that merge a design matrix: one that reads bytes where they lie,
// and one that writes into a text kept from run to run. A string stream would copy the input
// and grow its output from nothing for every run, which costs more than the merge checked.
#pragma once

#include <istream>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

// Reads the bytes of a text that outlives it; they are never written.
class TextReadBuffer : public std::streambuf {
public:
    explicit TextReadBuffer(std::string_view text) {
        char* first = const_cast<char*>(text.data());
        setg(first, first, first + text.size());
    }
};

class TextInput : public std::istream {
public:
    explicit TextInput(std::string_view text) : std::istream(nullptr), buffer_(text) { rdbuf(&buffer_); }

private:
    TextReadBuffer buffer_;
};

// Appends what is written to a text; the caller empties it between runs and keeps its room.
class TextAppendBuffer : public std::streambuf {
public:
    explicit TextAppendBuffer(std::string& text) : text_(text) {}

protected:
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        text_.append(data, static_cast<std::size_t>(count));
        return count;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        text_.push_back(traits_type::to_char_type(c));
        return c;
    }

private:
    std::string& text_;
};

class TextOutput : public std::ostream {
public:
    explicit TextOutput(std::string& text) : std::ostream(nullptr), buffer_(text) { rdbuf(&buffer_); }

private:
    TextAppendBuffer buffer_;
};
