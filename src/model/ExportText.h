// Texts of the system (file names, channel names from old recordings) as
// other programs read them: UTF-8, and CSV fields that cannot shift columns.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vode {

// Length of the well-formed UTF-8 sequence of two to four bytes at text[i], or 0.
std::size_t utf8Sequence(std::string_view text, std::size_t i);

// text with every byte that starts no well-formed sequence re-encoded as the
// Latin-1 character of that value.
std::string asUtf8(std::string_view text);

// text as one CSV field: quoted (inner quotes doubled) when it holds a comma,
// a quote or a line break, so a file name cannot shift the columns.
std::string csvField(const std::string& text);

}  // namespace vode
