#include "pictures/bmp_codec.h"
#include "gallery/item_images.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_cache.h"

#include "support/items.h"
#include "support/pictures.h"
#include "support/recording_progress.h"
#include "support/user_error_of.h"
#include "support/user_folders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>

namespace pictavo::pictures {
namespace {

using Files = std::map<std::string, std::string>;

TEST(PictureCache, FindsOnlyWhatWasStoredUnderTheSameKey)
{
    test::TempDir dir;
    const PictureCache cache(dir / "cache");
    EXPECT_EQ(cache.find("a"), std::nullopt);
    cache.store("a", "picture A");
    cache.store("b", std::string("\0\x01\x02", 3));
    EXPECT_EQ(cache.find("a"), std::optional<std::string>("picture A"));
    EXPECT_EQ(cache.find("b"), std::optional<std::string>(std::string("\0\x01\x02", 3)));
    EXPECT_EQ(cache.find("c"), std::nullopt);

    // An entry that is damaged, cut short or another key's is not found.
    const auto entries = test::folderListing(dir / "cache");
    ASSERT_EQ(entries.size(), 2u);
    for (const std::string& name : entries) {
        std::string bytes = test::readBytes(dir / "cache" / name);
        bytes[bytes.size() - 1] ^= 0x20;
        test::writeBytes(dir / "cache" / name, bytes);
    }
    EXPECT_EQ(cache.find("a"), std::nullopt);
    cache.store("a", "picture A");
    const std::string entryOfA = test::readBytes(dir / "cache" / test::folderListing(dir / "cache").front());
    test::writeBytes(dir / "cache" / (contentHash("b") + ".pic"), entryOfA);
    EXPECT_EQ(cache.find("b"), std::nullopt);
    test::writeBytes(dir / "cache" / (contentHash("a") + ".pic"), entryOfA.substr(0, 20));
    EXPECT_EQ(cache.find("a"), std::nullopt);
}

TEST(PictureCache, TrimmingDropsTheEntriesUsedLongestAgo)
{
    test::TempDir dir;
    const PictureCache cache(dir.path(), 2500);
    const std::string kilobyte(1000, 'x');
    for (const char* key : {"old", "middle", "new"})
        cache.store(key, kilobyte);
    auto age = [&](const char* key, int seconds) {
        std::filesystem::last_write_time(dir / (contentHash(key) + ".pic"),
                                         std::filesystem::file_time_type::clock::now() - std::chrono::seconds(seconds));
    };
    age("old", 300);
    age("middle", 200);
    age("new", 100);
    ASSERT_TRUE(cache.find("old"));  // used now: kept longest
    cache.trim();
    EXPECT_TRUE(cache.find("old"));
    EXPECT_FALSE(cache.find("middle"));
    EXPECT_TRUE(cache.find("new"));
}

class PictureBuild : public testing::Test {
protected:
    PictureBuild()
    {
        agent.ResetToDefaults();
        test::writeJpeg(originals / "a.jpg", test::coordinatePicture(640, 480), test::JpegKind::Rgb);
        test::writeJpeg(originals / "b.jpg", test::coordinatePicture(300, 900), test::JpegKind::Progressive);
        test::writeGif(originals / "c.gif", 3, 2, {Rgb{255, 0, 0}, Rgb{0, 0, 255}},
                       {test::GifFrame{0, 0, 3, 2, false, {}, -1, {0, 1, 0, 1, 0, 1}}});
        test::writeBytes(originals / "d.bmp", encodeBmp(test::coordinatePicture(90, 60)));
        for (const char* name : {"a.jpg", "b.jpg", "c.gif", "d.bmp", "a.jpg"})
            agent.Items.push_back(test::itemWithOriginal(originals / name));
    }

    // Builds the pictures with that many workers and returns the Preview
    // folder's files with their bytes.
    Files build(const char* workers)
    {
        user.set("PICTAVO_WORKERS", workers);
        model::Outline outline = model::rebuildOutline(agent.Items);
        test::RecordingProgress progress;
        gallery::ProcessItemImages(agent, outline, progress);
        warnings = progress.warnings;
        Files files;
        for (const std::string& name : test::folderListing(user.previewFolder()))
            files[name] = test::readBytes(user.previewFolder() / name);
        std::filesystem::remove_all(user.previewFolder());
        return files;
    }

    std::filesystem::path cacheFolder() const { return user.cacheFolder(); }

    test::UserFolders user;
    test::TempDir originals;
    model::TAppletAgent agent;
    std::vector<std::string> warnings;  // of the last build
};

TEST_F(PictureBuild, OutputsAreTheSameWhateverTheThreadsAndTheCache)
{
    const Files reference = build("0");
    ASSERT_EQ(reference.size(), 10u);
    std::filesystem::remove_all(cacheFolder());
    EXPECT_EQ(build("1"), reference);
    std::filesystem::remove_all(cacheFolder());
    EXPECT_EQ(build("3"), reference);
    EXPECT_FALSE(std::filesystem::is_empty(cacheFolder()));
    EXPECT_EQ(build("2"), reference);  // every picture from the cache
    EXPECT_EQ(build("0"), reference);

    // Damaged entries are made again, never an error.
    for (const std::string& name : test::folderListing(cacheFolder()))
        test::writeBytes(cacheFolder() / name, "damaged");
    EXPECT_EQ(build("2"), reference);
}

TEST_F(PictureBuild, AChangedOriginalOrBoxIsNeverServedFromTheCache)
{
    const Files before = build("2");
    test::writeJpeg(originals / "a.jpg", test::flatPicture(640, 480, Rgb{20, 200, 40}), test::JpegKind::Rgb);
    const Files after = build("2");
    EXPECT_NE(after.at("p0_t.jpg"), before.at("p0_t.jpg"));
    EXPECT_NE(after.at("p4_l.jpg"), before.at("p4_l.jpg"));
    EXPECT_EQ(after.at("p1_t.jpg"), before.at("p1_t.jpg"));
    std::filesystem::remove_all(cacheFolder());
    EXPECT_EQ(build("0"), after);

    agent.AppletData.thumbImageWidth = "64";
    const Files resized = build("2");
    EXPECT_EQ(test::decodeFile(originals / "a.jpg").width, 640);
    test::writeBytes(originals / "t.jpg", resized.at("p0_t.jpg"));
    EXPECT_EQ(test::decodeFile(originals / "t.jpg").width, 64);
    EXPECT_EQ(resized.at("p0_l.jpg"), after.at("p0_l.jpg"));
}

TEST_F(PictureBuild, TheCacheLivesInTheUsersCacheFolder)
{
    const Files reference = build("2");
    EXPECT_FALSE(std::filesystem::is_empty(user.home() / "cache/pictavo"));
    EXPECT_FALSE(std::filesystem::exists(user.dataFolder() / "Cache"));

    // XDG_CACHE_HOME counts only when it is an absolute folder.
    struct Case {
        std::optional<std::string> xdgCacheHome;
        std::filesystem::path folder;
    };
    const Case cases[] = {
        {(user.home() / "elsewhere").string(), user.home() / "elsewhere/pictavo"},
        {"relative/cache", user.home() / ".cache/pictavo"},
        {"", user.home() / ".cache/pictavo"},
        {std::nullopt, user.home() / ".cache/pictavo"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(c.folder);
        if (c.xdgCacheHome)
            user.set("XDG_CACHE_HOME", *c.xdgCacheHome);
        else
            user.unset("XDG_CACHE_HOME");
        EXPECT_EQ(userCacheFolder(), c.folder / "");
        EXPECT_EQ(build("2"), reference);
        EXPECT_FALSE(std::filesystem::is_empty(c.folder)) << c.folder;
    }

    // Without any folder for it, pictures are made without a cache.
    user.unset("HOME");
    EXPECT_EQ(userCacheFolder(), std::nullopt);
    EXPECT_EQ(build("2"), reference);
}

TEST_F(PictureBuild, ADamagedOriginalIsToldOfAgainWhenItsPicturesComeFromTheCache)
{
    const std::string whole = encodeJpeg(test::coordinatePicture(300, 200));
    test::writeBytes(originals / "cut.jpg", whole.substr(0, whole.size() / 2));
    agent.Items.push_back(test::itemWithOriginal(originals / "cut.jpg"));
    const std::vector<std::string> told{"item 5: the picture " + (originals / "cut.jpg").string() +
                                        " is damaged (Premature end of JPEG file); it was published as far as it "
                                        "could be read"};
    const Files first = build("2");
    EXPECT_EQ(warnings, told);
    EXPECT_EQ(build("2"), first);
    EXPECT_EQ(warnings, told);
    EXPECT_EQ(build("0"), first);
    EXPECT_EQ(warnings, told);

    // Mended, it is told of no more.
    test::writeBytes(originals / "cut.jpg", whole);
    build("2");
    EXPECT_THAT(warnings, testing::IsEmpty());
}

TEST_F(PictureBuild, TheFirstFailingOriginalStillStopsTheBuildInItemOrder)
{
    test::writeBytes(originals / "bad.jpg", "not a jpeg at all");
    agent.Items.insert(agent.Items.begin() + 2, test::itemWithOriginal(originals / "bad.jpg"));
    user.set("PICTAVO_WORKERS", "2");
    model::Outline outline = model::rebuildOutline(agent.Items);
    test::RecordingProgress progress;
    EXPECT_EQ(test::userErrorOf([&] { gallery::ProcessItemImages(agent, outline, progress); }),
              "The picture " + (originals / "bad.jpg").string() + " cannot be read: Not a JPEG file: starts with 0x6e 0x6f.");
    EXPECT_THAT(agent.WorkingFiles, testing::ElementsAre("p0_t.jpg", "p1_t.jpg"));
}

}  // namespace
}  // namespace pictavo::pictures
