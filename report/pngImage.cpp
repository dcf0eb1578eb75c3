#include "report/pngImage.h"

#include <png.h>

#include <cstring>

#include "report/base64.h"

namespace morvane {

namespace {

// libpng's simplified writer keeps its state in the png_image; this frees it on every path.
struct WrittenImage {
    png_image image{};
    WrittenImage() { image.version = PNG_IMAGE_VERSION; }
    ~WrittenImage() { png_image_free(&image); }
    WrittenImage(const WrittenImage&) = delete;
    WrittenImage& operator=(const WrittenImage&) = delete;
};

}  // namespace

ParseResult<std::string> encodePng(const RasterImage& picture) {
    using Result = ParseResult<std::string>;
    if (picture.width <= 0 || picture.height <= 0) return Result::failure("the picture is empty");
    if (picture.channels != 1 && picture.channels != 3) return Result::failure("the picture has neither 1 nor 3 channels");
    const auto rowBytes = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.channels);
    if (picture.pixels.size() != rowBytes * static_cast<std::size_t>(picture.height))
        return Result::failure("the picture's pixels do not fill its size");

    WrittenImage written;
    written.image.width = static_cast<png_uint_32>(picture.width);
    written.image.height = static_cast<png_uint_32>(picture.height);
    written.image.format = picture.channels == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;

    std::string bytes(PNG_IMAGE_PNG_SIZE_MAX(written.image), '\0');
    png_alloc_size_t size = bytes.size();
    if (!png_image_write_to_memory(&written.image, bytes.data(), &size, 0, picture.pixels.data(), 0, nullptr)) {
        // Only a bound that was too small is worth a second try; libpng then names the size.
        if (size <= bytes.size())
            return Result::failure(std::string("libpng could not write the picture: ") + written.image.message);
        png_image_free(&written.image);
        bytes.assign(size, '\0');
        if (!png_image_write_to_memory(&written.image, bytes.data(), &size, 0, picture.pixels.data(), 0, nullptr))
            return Result::failure(std::string("libpng could not write the picture: ") + written.image.message);
    }
    bytes.resize(size);
    return Result::success(std::move(bytes));
}

ParseResult<std::string> pngDataUri(const RasterImage& image) {
    auto png = encodePng(image);
    if (!png) return png;
    return ParseResult<std::string>::success("data:image/png;base64," + base64(*png.value));
}

}  // namespace morvane
