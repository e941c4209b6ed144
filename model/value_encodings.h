#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pictavo::model {

// Text kind: leading and trailing characters of codes 0 to 32 removed.
std::string trimControl(std::string_view text);

// Integer kind: an optional sign and decimal digits, leading zeros allowed,
// within the 32-bit range. Anything else throws the conversion error.
int parseInteger(std::string_view text);

// "'<text>' is not a valid integer value"
std::string conversionErrorMessage(std::string_view text);

struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Color& o) const { return red == o.red && green == o.green && blue == o.blue; }
};

// Six upper-case hexadecimal digits, red, green, blue: yellow is "FFFF00".
std::string ColorToHexText(Color color);

// "transparent" in any letter case is black; otherwise characters 1-2, 3-4
// and 5-6 are red, green and blue, missing characters count as nothing ("FF"
// is red, "" is black), lower-case digits are accepted. Text that is not
// hexadecimal throws the conversion error quoting the composed "$00BBGGRR" text.
Color HexTextToColor(std::string_view text);

}  // namespace pictavo::model
