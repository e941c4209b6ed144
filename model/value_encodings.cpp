#include "model/value_encodings.h"

#include "platform/ascii.h"
#include "platform/user_error.h"

#include <cstdio>
#include <limits>

namespace pictavo::model {

namespace {

bool isTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }

// Characters from..from+1 (1-based) of the text, as far as they exist.
std::string_view pair(std::string_view text, std::size_t from)
{
    if (text.size() < from)
        return {};
    return text.substr(from - 1, 2);
}

}  // namespace

std::string trimControl(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string conversionErrorMessage(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid integer value";
}

int parseInteger(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        throw platform::UserError(conversionErrorMessage(text));
    long long value = 0;
    const long long limit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            throw platform::UserError(conversionErrorMessage(text));
        value = value * 10 + (c - '0');
        if (value > limit)
            throw platform::UserError(conversionErrorMessage(text));
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        throw platform::UserError(conversionErrorMessage(text));
    return static_cast<int>(value);
}

std::string ColorToHexText(Color color)
{
    char text[7];
    std::snprintf(text, sizeof text, "%02X%02X%02X", color.red, color.green, color.blue);
    return text;
}

Color HexTextToColor(std::string_view text)
{
    if (platform::lowerCase(text) == "transparent")
        return Color{};

    const std::string composed =
        "$00" + std::string(pair(text, 5)) + std::string(pair(text, 3)) + std::string(pair(text, 1));
    unsigned long value = 0;
    for (std::size_t i = 1; i < composed.size(); ++i) {
        const int digit = platform::hexDigitValue(composed[i]);
        if (digit < 0)
            throw platform::UserError(conversionErrorMessage(composed));
        value = value * 16 + static_cast<unsigned long>(digit);
    }
    return Color{static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
                 static_cast<std::uint8_t>((value >> 16) & 0xFF)};
}

}  // namespace pictavo::model
