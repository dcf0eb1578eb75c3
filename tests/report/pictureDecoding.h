// Reading back what the page embeds: the PNG data URIs of a piece of markup, decoded with
// libpng to pixels.
#pragma once

#include <string>
#include <vector>

#include "report/pngImage.h"

namespace quorvel::test {

// Every "data:image/png;base64,..." payload in the markup, in order, base64-decoded.
std::vector<std::string> embeddedPngs(const std::string& markup);

// The PNG decoded to 8-bit pixels of the given channel count (1 grey, 3 RGB); width 0 when
// libpng cannot read it.
morvane::RasterImage decodePng(const std::string& png, int channels);

// How often `needle` occurs in `text`.
std::size_t occurrences(const std::string& text, const std::string& needle);

}  // namespace quorvel::test
