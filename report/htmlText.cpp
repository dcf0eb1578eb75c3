#include "report/htmlText.h"

namespace morvane {

namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at the start of the text (no overlong forms,
// no surrogates, nothing above U+10FFFF), or 0.
std::size_t utf8Length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    return length;
}

}  // namespace

std::string escapeHtml(std::string_view text) {
    std::string html;
    html.reserve(text.size() + text.size() / 8);
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const std::size_t length = utf8Length(text.substr(i));
        if (length == 0) {
            html += replacementCharacter;
            ++i;
            continue;
        }
        if (length > 1) {
            html.append(text.substr(i, length));
            i += length;
            continue;
        }
        switch (c) {
            case '&': html += "&amp;"; break;
            case '<': html += "&lt;"; break;
            case '>': html += "&gt;"; break;
            case '"': html += "&quot;"; break;
            case '\'': html += "&#39;"; break;
            default:
                if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') || c == 0x7F)
                    html += replacementCharacter;
                else
                    html += c;
        }
        ++i;
    }
    return html;
}

std::string shortenedText(std::string_view text, std::size_t longest) {
    if (longest == 0) return {};
    // Where each of the first `longest` characters starts; bytes that are no UTF-8 count as one.
    std::size_t characters = 0, i = 0, cutAt = 0;
    while (i < text.size()) {
        if (characters == longest - 1) cutAt = i;
        if (characters == longest) return std::string(text.substr(0, cutAt)) + "\xE2\x80\xA6";
        const std::size_t length = utf8Length(text.substr(i));
        i += length == 0 ? 1 : length;
        ++characters;
    }
    return std::string(text);
}

}  // namespace morvane
