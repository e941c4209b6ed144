#include "model/text_encoding.h"

#include <gtest/gtest.h>

namespace pictavo::model {
namespace {

TEST(ProjectTextToUtf8, KeepsUtf8AndReadsEverythingElseAsWindows1252)
{
    struct Case {
        std::string bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7"},
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80\x99", "\xE2\x82\xAC\xE2\x84\xA2"},
        {"\x81", "\xC2\x81"},
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},              // an overlong form is not UTF-8
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},  // nor is a surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
        {"\xC3", "\xC3\x83"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(projectTextToUtf8(c.bytes), c.utf8);
}

TEST(ProjectTextToUnicode, ReadsAsProjectTextToUtf8Does)
{
    EXPECT_EQ(projectTextToUnicode("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), U"a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(projectTextToUnicode("\x81\xE9\x80"), U"\u0081\u00E9\u20AC");
    EXPECT_EQ(projectTextToUnicode(""), U"");
}

}  // namespace
}  // namespace pictavo::model
