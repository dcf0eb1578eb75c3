// Reading text the way formatted stream extraction reads it in the "C" locale: white space
// skipped before every token, integers and reals that end where they cannot go on (so that
// "0.0310625-0.000387509" is two numbers), words up to the next white space.
//
// The scan functions look at the text from `first` (not white space) to `last`. When the
// text there might go on beyond `last` (more is to come), they may answer NeedMore so that a
// streaming caller can load more and scan again; with more == false they always decide.
#pragma once

#include <cstddef>
#include <cstdint>

enum class ScanStatus { Ok, Fail, NeedMore };

struct ScanResult {
    ScanStatus status = ScanStatus::Fail;
    std::size_t length = 0;  // characters taken when Ok
};

// The white space of the "C" locale: blank, tab, line feed, vertical tab, form feed, return.
inline bool isStreamSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Like `stream >> int`: optional sign, decimal digits; overflow fails.
ScanResult scanInt(const char* first, const char* last, bool more, std::int32_t& value);

// Like `stream >> double`: optional sign, digits with one optional '.', an exponent only
// after at least one digit. No "inf", "nan" or hexadecimal form. A magnitude too large
// fails; one too small becomes zero or a subnormal, as stream extraction gives it.
ScanResult scanDouble(const char* first, const char* last, bool more, double& value);
// The extent of the same token without its value, and whether its text is exactly what
// writeDefaultNotation writes for the value, so that a writer may copy the text instead of
// converting it and formatting the value anew.
ScanResult scanDoubleText(const char* first, const char* last, bool more, bool& defaultNotation);

// Like `stream >> std::string`: up to the next white space.
ScanResult scanWord(const char* first, const char* last, bool more);

// A predictor name: a word, except that a name opening with a double quote whose closing
// quote stands on the same line is taken to that quote, blanks included, and on to the next
// white space. Without a closing quote on its line the name is an ordinary word.
ScanResult scanName(const char* first, const char* last, bool more);
