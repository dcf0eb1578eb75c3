// Base64 (RFC 4648, with padding) for the pictures the page carries inline as data: URIs.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

std::string base64(std::string_view bytes);

}  // namespace morvane
