#include "model/value_encodings.h"

#include "support/user_error_of.h"

#include <gtest/gtest.h>

namespace pictavo::model {
namespace {

using test::userErrorOf;

TEST(TrimControl, RemovesCodesUpToBlankAtBothEnds)
{
    EXPECT_EQ(trimControl("  word \t"), "word");
    EXPECT_EQ(trimControl(std::string("\x01\x1f a b \r\n", 9)), "a b");
    EXPECT_EQ(trimControl(std::string("\0x\0", 3)), "x");
    EXPECT_EQ(trimControl(" \t "), "");
    EXPECT_EQ(trimControl("\xA0x\xA0"), "\xA0x\xA0");
}

TEST(ParseInteger, AcceptsSignsAndLeadingZerosOnly)
{
    EXPECT_EQ(parseInteger("0"), 0);
    EXPECT_EQ(parseInteger("-20000"), -20000);
    EXPECT_EQ(parseInteger("+5"), 5);
    EXPECT_EQ(parseInteger("007"), 7);
    EXPECT_EQ(parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseInteger("-2147483648"), -2147483647 - 1);
    for (const char* text : {"", "-", "+", "1.5", " 5", "5 ", "abc", "0x10", "2147483648", "-2147483649",
                             "99999999999999999999"})
        EXPECT_EQ(userErrorOf([&] { parseInteger(text); }), "'" + std::string(text) + "' is not a valid integer value");
}

TEST(Colors, HexTextBecomesAColourAndBack)
{
    struct Case {
        const char* text;
        Color color;
    };
    const Case cases[] = {
        {"FFFF00", {255, 255, 0}}, {"ffff00", {255, 255, 0}},     {"Transparent", {0, 0, 0}},
        {"TRANSPARENT", {0, 0, 0}}, {"", {0, 0, 0}},             {"FF", {255, 0, 0}},
        {"C0C0C0", {192, 192, 192}}, {"102030", {16, 32, 48}},   {"10203040", {16, 32, 48}},
        {"1", {1, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HexTextToColor(c.text), c.color) << c.text;

    EXPECT_EQ(ColorToHexText({255, 255, 0}), "FFFF00");
    EXPECT_EQ(ColorToHexText({0, 0, 0}), "000000");
    EXPECT_EQ(ColorToHexText({1, 2, 171}), "0102AB");
    EXPECT_EQ(ColorToHexText(HexTextToColor("ffff00")), "FFFF00");
}

TEST(Colors, TextThatIsNotHexadecimalQuotesTheComposedNumber)
{
    EXPECT_EQ(userErrorOf([] { HexTextToColor("GG0000"); }), "'$000000GG' is not a valid integer value");
    EXPECT_EQ(userErrorOf([] { HexTextToColor("red"); }), "'$00dre' is not a valid integer value");
    EXPECT_EQ(userErrorOf([] { HexTextToColor("12 456"); }), "'$0056 412' is not a valid integer value");
}

}  // namespace
}  // namespace pictavo::model
