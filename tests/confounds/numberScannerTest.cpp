// Numbers and words must be read exactly as stream extraction reads them: the oracle in these
// tests is std::istringstream itself.
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "confounds/numberScanner.h"
#include "confounds/tokenReader.h"

namespace {

struct Extracted {
    bool ok = false;
    double value = 0.0;
    std::size_t consumed = 0;
};

template <typename T>
Extracted extractWithStream(const std::string& text) {
    std::istringstream in(text);
    T value{};
    in >> value;
    Extracted result;
    result.ok = !in.fail();
    result.value = static_cast<double>(value);
    if (result.ok) result.consumed = in.eof() ? text.size() : static_cast<std::size_t>(in.tellg());
    return result;
}

Extracted extractDoubleWithCursor(const std::string& text) {
    TokenReader cursor(text);
    Extracted result;
    result.ok = cursor.readDouble(result.value);
    result.consumed = text.size() - static_cast<std::size_t>(cursor.remaining());
    return result;
}

Extracted extractIntWithCursor(const std::string& text) {
    TokenReader cursor(text);
    std::int32_t value = 0;
    Extracted result;
    result.ok = cursor.readInt(value);
    result.value = value;
    result.consumed = text.size() - static_cast<std::size_t>(cursor.remaining());
    return result;
}

void expectSame(const Extracted& expected, const Extracted& actual, const std::string& text) {
    ASSERT_EQ(expected.ok, actual.ok) << "[" << text << "]";
    if (!expected.ok) return;
    EXPECT_EQ(expected.consumed, actual.consumed) << "[" << text << "]";
    // Bitwise, so that the sign of zero counts too.
    EXPECT_EQ(std::signbit(expected.value), std::signbit(actual.value)) << "[" << text << "]";
    EXPECT_EQ(expected.value, actual.value) << "[" << text << "]";
}

const std::vector<std::string> doubleTexts = {
    // ordinary forms
    "0", "-0", "+0", "1", "-1", "+5", "3.25", "-3.25", ".5", "-.5", "+.5", "5.", "1.e5", "00012.5",
    "1e5", "1E5", "1e+5", "1e-5", "2.5E-3", "  \t\r\n 7.5", "1234567890123456789012345",
    // where a number ends: touching values, a second point, a second exponent, letters
    "0.0310625-0.000387509", "-0.0247146-1", "1.5.3", "1e5e3", "1e5.3", "1.5e-3-2", "12abc",
    "0x1A", "1,5", "7\"", "1+2",
    // what does not make a number
    "", "   ", "-", "+", ".", "-.", "+.", "e5", ".e5", "+-5", "-+5", "1e", "1e ", "1e+", "1e-",
    "1ex", "1.e", "inf", "-inf", "nan", "NaN", "infinity", "abc", "\"name\"",
    // range ends: too large fails, too small becomes zero or a subnormal
    "1e308", "1.7976931348623157e308", "1.8e308", "1e400", "-1e400", "1e-310", "5e-324",
    "2e-324", "3e-324", "1e-400", "-1e-400", "0e999999", "0.0e-999999", "1e99999999999999999999",
    "1e-99999999999999999999", "0.000000000000000000000000000000000001e-300",
    "100000000000000000000000000000000000000000000000000000000000000000000000e250",
};

TEST(NumberScanner, readsDoublesAsStreamExtractionDoes) {
    for (const std::string& text : doubleTexts)
        expectSame(extractWithStream<double>(text), extractDoubleWithCursor(text), text);
}

const std::vector<std::string> intTexts = {
    "0", "-0", "+7", "42", "-42", "007", "2147483647", "-2147483648", "2147483648", "-2147483649",
    "99999999999999999999", "-99999999999999999999", "5.5", "5e3", "12abc", "0x10", "3-4",
    "", " ", "-", "+", "+-1", "abc", ".5", "\t\r\n  13",
};

TEST(NumberScanner, readsIntsAsStreamExtractionDoes) {
    for (const std::string& text : intTexts)
        expectSame(extractWithStream<int>(text), extractIntWithCursor(text), text);
}

TEST(NumberScanner, splitsTouchingHostFieldsIntoTheirNumbers) {
    TokenReader cursor("   0.0310625-0.000387509  -0.0247146\r\n");
    double a = 0, b = 0, c = 0, d = 0;
    ASSERT_TRUE(cursor.readDouble(a));
    ASSERT_TRUE(cursor.readDouble(b));
    ASSERT_TRUE(cursor.readDouble(c));
    EXPECT_EQ(a, 0.0310625);
    EXPECT_EQ(b, -0.000387509);
    EXPECT_EQ(c, -0.0247146);
    EXPECT_FALSE(cursor.readDouble(d));
}

struct NameCase {
    const char* text;
    std::vector<std::string> names;
};

TEST(NumberScanner, takesQuotedNamesWithBlanksWhole) {
    const std::vector<NameCase> cases = {
        {"\"A\" \"B\"", {"\"A\"", "\"B\""}},
        {"\"Objects in LVF\"\t\"l_60 B\"\r\n", {"\"Objects in LVF\"", "\"l_60 B\""}},
        {"\"a\"b \"c\"", {"\"a\"b", "\"c\""}},
        {"plain words", {"plain", "words"}},
        // No closing quote on the line: an ordinary word, as stream extraction takes it.
        {"\"open name\nnext\"", {"\"open", "name", "next\""}},
        {"\"unclosed", {"\"unclosed"}},
        {"\"\" \"x\"", {"\"\"", "\"x\""}},
    };
    for (const NameCase& c : cases) {
        TokenReader cursor(c.text);
        std::vector<std::string> names;
        std::string_view name;
        while (cursor.readName(name)) names.emplace_back(name);
        EXPECT_EQ(names, c.names) << c.text;
    }
}

TEST(NumberScanner, readsCharsAndWordsLikeTheStream) {
    TokenReader cursor(" \"x y\"\r\nKey: 12");
    char c = 0;
    std::string_view word;
    ASSERT_TRUE(cursor.readChar(c));
    EXPECT_EQ(c, '"');
    ASSERT_TRUE(cursor.readWord(word));
    EXPECT_EQ(word, "x");
    ASSERT_TRUE(cursor.readWord(word));
    EXPECT_EQ(word, "y\"");
    ASSERT_TRUE(cursor.readWord(word));
    EXPECT_EQ(word, "Key:");
    std::int32_t value = 0;
    ASSERT_TRUE(cursor.readInt(value));
    EXPECT_EQ(value, 12);
    EXPECT_FALSE(cursor.readChar(c));
    EXPECT_FALSE(cursor.readWord(word));
}

// A text several buffers long, with tokens of every kind standing across the buffer ends.
std::string longMixedText(std::vector<double>& values) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> magnitude(-5.0, 5.0);
    std::ostringstream text;
    const char* separators[] = {" ", "\t", "\r\n", "", "   "};
    text.precision(6);
    while (text.tellp() < 400'000) {
        const double value = magnitude(random) * std::pow(10.0, static_cast<int>(random() % 9) - 4);
        std::ostringstream one;
        one.precision(static_cast<int>(random() % 15) + 1);
        if (random() % 4 == 0) one << std::scientific;
        one << value;
        std::string piece = one.str();
        std::string separator = separators[random() % 5];
        // Only a sign may follow a number without white space between them.
        if (separator.empty() && piece[0] != '-') separator = " ";
        text << separator << piece;
        values.push_back(std::stod(piece));
    }
    return text.str();
}

TEST(TokenReader, readsALongTextAsTheStreamDoes) {
    std::vector<double> written;
    const std::string text = longMixedText(written);
    std::istringstream oracle(text);
    std::istringstream source(text);
    TokenReader reader(source.rdbuf());
    std::size_t count = 0;
    double expected = 0.0;
    while (oracle >> expected) {
        double actual = 0.0;
        ASSERT_TRUE(reader.readDouble(actual)) << "value " << count;
        ASSERT_EQ(actual, expected) << "value " << count;
        ++count;
    }
    double extra = 0.0;
    EXPECT_FALSE(reader.readDouble(extra));
    EXPECT_EQ(count, written.size());
}

TEST(TokenReader, takesTokensLongerThanItsBufferAndNamesAcrossItsEnd) {
    const std::string tinyNumber = "0." + std::string(200'000, '0') + "1";
    const std::string longWord(150'000, 'w');
    const std::string quotedName = "\"" + std::string(70'000, 'n') + " with blanks\"";
    std::string text = std::string(65'530, ' ') + "\"Name with blank\" 17 " + tinyNumber + " " +
                       longWord + " " + quotedName + " -3";
    std::istringstream source(text);
    TokenReader reader(source.rdbuf());
    std::string_view token;
    ASSERT_TRUE(reader.readName(token));
    EXPECT_EQ(token, "\"Name with blank\"");
    std::int32_t whole = 0;
    ASSERT_TRUE(reader.readInt(whole));
    EXPECT_EQ(whole, 17);
    double tiny = 1.0;
    ASSERT_TRUE(reader.readDouble(tiny));
    EXPECT_EQ(tiny, 0.0);
    ASSERT_TRUE(reader.readWord(token));
    EXPECT_EQ(token, longWord);
    ASSERT_TRUE(reader.readName(token));
    EXPECT_EQ(token, quotedName);
    ASSERT_TRUE(reader.readInt(whole));
    EXPECT_EQ(whole, -3);
    EXPECT_FALSE(reader.readInt(whole));
}

TEST(TokenReader, decidesAtTheEndOfTheSourceLikeTheCursor) {
    // Texts whose number runs to the very end: the reader must not wait for more.
    for (const std::string& text : doubleTexts) {
        std::istringstream source(text);
        TokenReader reader(source.rdbuf());
        double value = 0.0;
        const Extracted expected = extractWithStream<double>(text);
        EXPECT_EQ(reader.readDouble(value), expected.ok) << "[" << text << "]";
        if (expected.ok) {
            EXPECT_EQ(value, expected.value) << "[" << text << "]";
        }
    }
}

}  // namespace
