#include "platform/folders.h"

#include "support/user_error_of.h"
#include "support/user_folders.h"

#include <gtest/gtest.h>

namespace pictavo::platform {
namespace {

using test::userErrorOf;

TEST(Folders, DataPreviewAndTempAreMadeBelowTheXdgDataFolder)
{
    test::UserFolders user;
    EXPECT_EQ(GetDataFolder().string(), user.dataFolder().string() + "/");
    EXPECT_EQ(GetPreviewFolder().string(), user.previewFolder().string() + "/");
    EXPECT_EQ(GetTempFolder().string(), user.tempFolder().string() + "/");
    EXPECT_TRUE(std::filesystem::is_directory(user.previewFolder()));

    // Nothing is cached: a removed Preview folder is made again on next use.
    std::filesystem::remove(user.previewFolder());
    GetPreviewFolder();
    EXPECT_TRUE(std::filesystem::is_directory(user.previewFolder()));

    user.unset("XDG_DATA_HOME");
    EXPECT_EQ(GetDataFolder(), user.home() / ".local/share/Tavemo/Pictavo/1.0/");
}

TEST(Folders, FailuresUseTheFixedMessages)
{
    test::UserFolders user;
    user.unset("XDG_DATA_HOME");
    user.unset("HOME");
    EXPECT_EQ(userErrorOf([] { GetPreviewFolder(); }), NoApplicationDataMessage);
    EXPECT_EQ(userErrorOf([] { GetProjectsFolder(); }), NoDocumentsMessage);

    user.set("HOME", user.home().string());
    user.set("XDG_DATA_HOME", (user.home() / "blocker").string());
    test::writeBytes(user.home() / "blocker", "a file, not a folder");
    EXPECT_EQ(userErrorOf([] { GetTempFolder(); }), NoApplicationDataMessage);

    user.set("XDG_DATA_HOME", (user.home() / "data").string());
    std::filesystem::create_directories(user.dataFolder());
    test::writeBytes(user.dataFolder() / "Preview", "a file, not a folder");
    test::writeBytes(user.dataFolder() / "Temp", "a file, not a folder");
    EXPECT_EQ(userErrorOf([] { GetPreviewFolder(); }), PreviewFolderMessage);
    EXPECT_EQ(userErrorOf([] { GetTempFolder(); }), TempFolderMessage);

    std::filesystem::remove_all(user.home() / "data");
    std::filesystem::create_directories(user.home() / "data/Tavemo");
    test::writeBytes(user.home() / "data/Tavemo/Pictavo", "a file, not a folder");
    EXPECT_EQ(userErrorOf([] { GetDataFolder(); }), DataFolderMessage);
}

TEST(Folders, DocumentsAndPicturesFollowTheUserDirectories)
{
    test::UserFolders user;
    EXPECT_EQ(GetProjectsFolder(), user.home() / "Tavemo/Pictavo/1.0/");
    EXPECT_EQ(GetPicturesFolder(), user.home());

    std::filesystem::create_directories(user.home() / "Documents");
    std::filesystem::create_directories(user.home() / "Pictures");
    EXPECT_EQ(GetProjectsFolder(), user.home() / "Documents/Tavemo/Pictavo/1.0/");
    EXPECT_EQ(GetPicturesFolder(), user.home() / "Pictures");

    std::filesystem::create_directories(user.home() / "config");
    test::writeBytes(user.home() / "config/user-dirs.dirs",
                     "# written by xdg-user-dirs-update\n"
                     "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                     "XDG_PICTURES_DIR=\"" + (user.home() / "Bilder").string() + "\"\n");
    EXPECT_EQ(GetProjectsFolder(), user.home() / "Dokumente/Tavemo/Pictavo/1.0/");
    EXPECT_EQ(GetPicturesFolder(), user.home() / "Bilder");
    EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::Documents), (user.home() / "Dokumente").string());
}

TEST(Folders, EnsureTrailingSeparator)
{
    for (auto [in, out] : {std::pair{"/data/", "/data/"}, {"/data", "/data/"}, {"", "/"}}) {
        std::string path = in;
        ensureTrailingSeparator(path);
        EXPECT_EQ(path, out);
    }
}

}  // namespace
}  // namespace pictavo::platform
