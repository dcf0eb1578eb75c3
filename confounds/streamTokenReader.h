// Reads tokens from a stream in step with their use, the way formatted stream extraction
// reads them, holding only a buffer's worth of the text (more only for a token longer than
// the buffer). Each read skips white space first and fails at the end of the text or where
// the token does not fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <streambuf>
#include <string_view>
#include <vector>

#include "confounds/numberScanner.h"

class StreamTokenReader {
public:
    explicit StreamTokenReader(std::streambuf* source);

    bool readInt(std::int32_t& value);
    bool readDouble(double& value);
    // The text stays valid until the next read.
    bool readWord(std::string_view& word);
    bool readName(std::string_view& name);

private:
    template <typename Scan>
    bool readToken(Scan scan, std::string_view& token);
    bool skipSpace();
    bool loadMore();

    std::streambuf* source_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool exhausted_ = false;
};
