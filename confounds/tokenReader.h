// Reads tokens one after another, the way formatted stream extraction reads them: from text
// held in memory, or from a stream in step with their use, holding only a buffer's worth of
// it (more only for a token longer than the buffer). Every read skips white space first and
// fails at the end of the text or where the token does not fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <streambuf>
#include <string_view>
#include <vector>

#include "confounds/numberScanner.h"

class TokenReader {
public:
    static constexpr std::uint64_t unknownSize = std::numeric_limits<std::uint64_t>::max();

    // Text held whole elsewhere; it must outlive the reader.
    explicit TokenReader(std::string_view text);
    // A stream, with its length in bytes when known.
    explicit TokenReader(std::streambuf* source, std::uint64_t size = unknownSize);

    bool readInt(std::int32_t& value);
    bool readDouble(double& value);
    // A real value's text, not converted, and whether it is already the default notation of
    // the value.
    bool readDoubleText(std::string_view& text, bool& defaultNotation);
    // Like `stream >> char`: the next character that is not white space.
    bool readChar(char& value);
    // The texts stay valid until the next read.
    bool readWord(std::string_view& word);
    bool readName(std::string_view& name);

    // Bytes not yet read; unknownSize for a stream of unknown length.
    std::uint64_t remaining() const;

private:
    template <typename Scan>
    bool readToken(Scan scan, std::string_view& token);
    bool skipSpace();
    bool loadMore();

    std::streambuf* source_ = nullptr;
    std::vector<char> storage_;
    const char* data_ = nullptr;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool exhausted_ = true;
    std::uint64_t size_ = unknownSize;
    std::uint64_t passed_ = 0;  // bytes dropped from the front of the buffer so far
};
