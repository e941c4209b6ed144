#pragma once

#include <string>
#include <string_view>

namespace pictavo::platform {

// Byte text as the file formats and the web see it: only A to Z have a case,
// and hexadecimal digits are 0-9, a-f, A-F.

inline char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = lowerCase(c);
    return lower;
}

// The value of a hexadecimal digit, or -1 for any other character.
inline int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace pictavo::platform
