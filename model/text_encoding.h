#pragma once

#include <string>
#include <string_view>

namespace pictavo::model {

// Project text is held as bytes. Where it must become Unicode, a value that
// is valid UTF-8 is taken as it is and anything else as Windows-1252, so a
// project written on Windows opens without mojibake. Judged value by value.
std::string projectTextToUtf8(std::string_view bytes);

// The same reading as projectTextToUtf8, as code points.
std::u32string projectTextToUnicode(std::string_view bytes);

// The character a byte stands for in Windows-1252.
char32_t windows1252Character(unsigned char byte);

bool isValidUtf8(std::string_view bytes);

}  // namespace pictavo::model
