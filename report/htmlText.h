// Texts from files made safe for the page: HTML escaping, and names shortened for a picture.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvane {

// The text as HTML character data or attribute value: & < > " ' as references, bytes that are
// no UTF-8 and control characters but tab and line feed as U+FFFD, so that nothing from a
// file can open a tag, leave an attribute or break the page's encoding.
std::string escapeHtml(std::string_view text);

// At most `longest` characters (code points) of the text, the last one an ellipsis after a
// cut; a cut never splits a UTF-8 sequence.
std::string shortenedText(std::string_view text, std::size_t longest);

}  // namespace morvane
