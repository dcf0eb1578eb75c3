// Raster pictures for the page: 8-bit grey or RGB pixels, encoded as PNG by libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/parseResult.h"

namespace morvane {

struct RasterImage {
    int width = 0;
    int height = 0;
    int channels = 1;                  // 1: grey, 3: red, green, blue
    std::vector<std::uint8_t> pixels;  // rows top to bottom, width * channels bytes each
};

// The PNG file's bytes; a failure for an empty or inconsistent image or when libpng refuses.
ParseResult<std::string> encodePng(const RasterImage& image);

// A data: URI of the PNG ("data:image/png;base64,..."), ready for an href.
ParseResult<std::string> pngDataUri(const RasterImage& image);

}  // namespace morvane
