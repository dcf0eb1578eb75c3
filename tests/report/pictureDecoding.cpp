#include "pictureDecoding.h"

#include <png.h>

namespace quorvel::test {

namespace {

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::string decodeBase64(const std::string& text) {
    std::string bytes;
    unsigned buffer = 0;
    int bits = 0;
    for (const char c : text) {
        const int value = base64Value(c);
        if (value < 0) break;  // padding or the end of the attribute
        buffer = (buffer << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return bytes;
}

}  // namespace

std::vector<std::string> embeddedPngs(const std::string& markup) {
    static const std::string prefix = "data:image/png;base64,";
    std::vector<std::string> pngs;
    for (std::size_t at = markup.find(prefix); at != std::string::npos; at = markup.find(prefix, at + 1)) {
        const std::size_t begin = at + prefix.size();
        const std::size_t end = markup.find_first_of("\"'", begin);
        pngs.push_back(decodeBase64(markup.substr(begin, end - begin)));
    }
    return pngs;
}

morvane::RasterImage decodePng(const std::string& png, int channels) {
    morvane::RasterImage image;
    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&read, png.data(), png.size())) return image;
    read.format = channels == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(read));
    if (!png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&read);
        return image;
    }
    image.width = static_cast<int>(read.width);
    image.height = static_cast<int>(read.height);
    image.channels = channels;
    image.pixels = std::move(pixels);
    return image;
}

std::size_t occurrences(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++count;
    return count;
}

}  // namespace quorvel::test
