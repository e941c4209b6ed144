#include "publish/save_all.h"

#include <gtest/gtest.h>

namespace pictavo::publish {
namespace {

TEST(SaveAll, TheBaseNameLosesEveryOccurrenceOfTheExtension)
{
    struct Case {
        const char* chosen;
        const char* base;
    };
    const Case cases[] = {
        {"gallery.tvgallery1", "gallery"}, {"gallery", "gallery"},       {"gallery.txt", "gallery"},
        {"Summer.Html.html", "Summer"},    {"a.b.c", "a.b"},             {"x.TXT.txt.y", "x.TXT.txt"},
        {".hidden", ""},                   {"name.", "name"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BaseName(c.chosen), c.base) << c.chosen;
}

}  // namespace
}  // namespace pictavo::publish
