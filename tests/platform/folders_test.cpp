#include "platform/folders.h"
#include "platform/run_folder.h"

#include "support/user_error_of.h"
#include "support/user_folders.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pictavo::platform {
namespace {

using test::userErrorOf;

TEST(Folders, DataPreviewAndTempAreMadeBelowTheXdgDataFolder)
{
    test::UserFolders user;
    EXPECT_EQ(GetDataFolder().string(), user.dataFolder().string() + "/");
    const std::filesystem::path run = GetRunFolder();
    EXPECT_EQ(run.parent_path().parent_path(), user.runsFolder());
    EXPECT_EQ(GetPreviewFolder(), run / "Preview/");
    EXPECT_EQ(GetTempFolder(), run / "Temp/");
    EXPECT_EQ(GetSharedTempFolder().string(), user.sharedTempFolder().string() + "/");
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
    test::writeBytes(user.dataFolder() / "Runs", "a file, not a folder");
    test::writeBytes(user.dataFolder() / "Temp", "a file, not a folder");
    EXPECT_EQ(userErrorOf([] { GetPreviewFolder(); }), PreviewFolderMessage);
    EXPECT_EQ(userErrorOf([] { GetTempFolder(); }), TempFolderMessage);
    EXPECT_EQ(userErrorOf([] { GetSharedTempFolder(); }), TempFolderMessage);

    std::filesystem::remove_all(user.home() / "data");
    std::filesystem::create_directories(user.home() / "data/Tavemo");
    test::writeBytes(user.home() / "data/Tavemo/Pictavo", "a file, not a folder");
    EXPECT_EQ(userErrorOf([] { GetDataFolder(); }), DataFolderMessage);
}

// A process that begins its run folder and waits until it is killed.
class OtherRun {
public:
    OtherRun()
    {
        int ends[2];
        if (::pipe(ends) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            // Without the trailing separator, so that it compares as a folder.
            const std::string folder = GetRunFolder().parent_path().string() + "\n";
            [[maybe_unused]] const ssize_t n = ::write(ends[1], folder.data(), folder.size());
            for (;;)
                ::pause();
        }
        ::close(ends[1]);
        char buffer[4096];
        const ssize_t n = ::read(ends[0], buffer, sizeof buffer);
        ::close(ends[0]);
        m_folder = std::string(buffer, n > 0 ? static_cast<std::size_t>(n - 1) : 0);
    }
    ~OtherRun() { kill(); }
    void kill()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
    }
    std::filesystem::path folder() const { return m_folder; }

private:
    pid_t m_pid = -1;
    std::string m_folder;
};

TEST(RunFolders, EachRunHasItsOwnAndARunThatDiedIsRemovedByALaterStart)
{
    test::UserFolders user;
    OtherRun other;
    ASSERT_TRUE(std::filesystem::is_directory(other.folder()));
    const std::filesystem::path mine = GetRunFolder().parent_path();
    EXPECT_NE(mine, other.folder());
    EXPECT_EQ(other.folder().parent_path(), user.runsFolder());

    // Liveness is the lock, not a number: a folder named after this very
    // process but held by no one has ended, and so has an unlocked kept one
    // older than a day; a kept one of today stays, as does a live run.
    const std::filesystem::path unlocked = user.runsFolder() / (std::to_string(::getpid()) + "-stale");
    std::filesystem::create_directories(unlocked / "Preview");
    test::writeBytes(unlocked / "Preview" / "p0_t.jpg", "left behind");
    const std::filesystem::path keptToday = user.runsFolder() / "1-today";
    const std::filesystem::path keptLong = user.runsFolder() / "1-long";
    for (const auto& kept : {keptToday, keptLong}) {
        std::filesystem::create_directories(kept / "Preview");
        test::writeBytes(kept / "kept", "");
    }
    std::filesystem::last_write_time(keptLong / "kept",
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(25));
    removeEndedRuns(user.runsFolder());
    EXPECT_FALSE(std::filesystem::exists(unlocked));
    EXPECT_FALSE(std::filesystem::exists(keptLong));
    EXPECT_TRUE(std::filesystem::exists(keptToday));
    EXPECT_TRUE(std::filesystem::exists(other.folder()));
    EXPECT_TRUE(std::filesystem::exists(mine));

    other.kill();
    EXPECT_TRUE(std::filesystem::exists(other.folder()));
    removeEndedRuns(user.runsFolder());
    EXPECT_FALSE(std::filesystem::exists(other.folder()));
    EXPECT_TRUE(std::filesystem::exists(mine));

    // A preview kept now takes the place of the one kept before.
    KeepRunFolder();
    EXPECT_FALSE(std::filesystem::exists(keptToday));
    EXPECT_TRUE(std::filesystem::exists(mine / "kept"));
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
