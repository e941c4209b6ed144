#include "platform/file_ops.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "platform/user_error.h"
#include "support/temp_dir.h"
#include "support/user_folders.h"
#include "support/user_error_of.h"

#include <cerrno>
#include <csignal>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

namespace pictavo::platform {
namespace {

using test::TempDir;
using test::userErrorOf;
using testing::ElementsAre;
using testing::IsEmpty;

TEST(SplitLines, AcceptsCrLfLfAndCrLineEnds)
{
    EXPECT_THAT(splitLines("a\r\nb\nc\rd"), ElementsAre("a", "b", "c", "d"));
    EXPECT_THAT(splitLines("a\r\n"), ElementsAre("a"));
    EXPECT_THAT(splitLines("a\r\r\nb"), ElementsAre("a", "", "b"));
    EXPECT_THAT(splitLines("\n\n"), ElementsAre("", ""));
    EXPECT_THAT(splitLines(""), IsEmpty());
}

TEST(IoErrorMessage, UsesTheRuntimeTexts)
{
    EXPECT_EQ(ioErrorMessage(ENOENT), "File not found");
    EXPECT_EQ(ioErrorMessage(EACCES), "File access denied");
    EXPECT_EQ(ioErrorMessage(ENOSPC), "Disk full");
    EXPECT_EQ(ioErrorMessage(ENAMETOOLONG), "Invalid filename");
    EXPECT_EQ(ioErrorMessage(EIO), "I/O error 5");
}

TEST(ReadWholeFile, ReportsMissingFilesAndFolders)
{
    TempDir dir;
    EXPECT_EQ(userErrorOf([&] { readWholeFile(dir / "missing.txt"); }),
              "File not found: \"" + (dir / "missing.txt").string() + "\"");
    EXPECT_EQ(userErrorOf([&] { readWholeFile(dir.path()); }), "File access denied: \"" + dir.path().string() + "\"");
    // The name is shown whole, a NUL byte and all, and no file is looked for.
    test::writeBytes(dir / "a", "not this one");
    EXPECT_EQ(userErrorOf([&] { readWholeFile(dir.path() / std::string("a\0b", 3)); }),
              "Invalid filename: \"" + dir.path().string() + "/a\\0b\"");
}

TEST(FileWriter, WritesCrLfLinesAndReplacesTheTarget)
{
    TempDir dir;
    test::writeBytes(dir / "a.txt", "old content that is longer");
    FileWriter writer(dir / "a.txt");
    writer.writeLine("one");
    writer.writeLine("");
    writer.write(std::string(100000, 'x'));
    writer.commit();
    EXPECT_EQ(test::readBytes(dir / "a.txt"), "one\r\n\r\n" + std::string(100000, 'x'));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(FileWriter, AnUncommittedWriterLeavesTheOldFileAndNoTemporaryFile)
{
    TempDir dir;
    test::writeBytes(dir / "a.txt", "keep me");
    {
        FileWriter writer(dir / "a.txt");
        writer.write(std::string(200000, 'y'));
    }
    EXPECT_EQ(test::readBytes(dir / "a.txt"), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(FileWriter, AFailedWriteThrowsAndKeepsTheOldFile)
{
    TempDir dir;
    test::writeBytes(dir / "a.txt", "keep me");
    // A file size limit makes write() fail with EFBIG, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string message = userErrorOf([&] {
        FileWriter writer(dir / "a.txt");
        writer.write(std::string(5000, 'z'));
        writer.commit();
    });
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(message, "Disk full: \"" + (dir / "a.txt").string() + "\"");
    EXPECT_EQ(test::readBytes(dir / "a.txt"), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(FileWriter, AMissingFolderIsAnInvalidFilename)
{
    TempDir dir;
    EXPECT_EQ(userErrorOf([&] { FileWriter writer(dir / "no-such-folder" / "a.txt"); }),
              "Invalid filename: \"" + (dir / "no-such-folder" / "a.txt").string() + "\"");
}

TEST(FileWriter, ASaveKeepsTheLinkThePermissionsAndTheOwnerOfTheFile)
{
    TempDir dir;
    TempDir elsewhere;
    test::writeBytes(elsewhere / "real.txt", "old");
    std::filesystem::permissions(elsewhere / "real.txt", std::filesystem::perms(0640));
    std::filesystem::create_symlink(elsewhere / "real.txt", dir / "via-link.txt");
    std::filesystem::create_symlink("via-link.txt", dir / "chain.txt");
    writeWholeFile(dir / "chain.txt", "new", Durability::Synced, Links::Follow);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "chain.txt"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "via-link.txt"));
    EXPECT_EQ(test::readBytes(elsewhere / "real.txt"), "new");
    EXPECT_EQ(std::filesystem::status(elsewhere / "real.txt").permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(test::folderListing(elsewhere.path()), std::vector<std::string>{"real.txt"});
}

TEST(FileWriter, AnOutputReplacesALinkAndNeverWritesWhereItPoints)
{
    TempDir dir;
    TempDir elsewhere;
    test::writeBytes(elsewhere / "thesis.jpg", "the user's own");
    std::filesystem::create_symlink(elsewhere / "thesis.jpg", dir / "p0_t.jpg");
    writeWholeFile(dir / "p0_t.jpg", "thumbnail", Durability::Unsynced);
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "p0_t.jpg"));
    EXPECT_EQ(test::readBytes(dir / "p0_t.jpg"), "thumbnail");
    EXPECT_EQ(test::readBytes(elsewhere / "thesis.jpg"), "the user's own");
}

TEST(FolderTransaction, FilesTakeTheirPlaceTogetherOrNotAtAll)
{
    TempDir dir;
    TempDir other;
    test::writeBytes(dir / "a.txt", "old a");
    {
        FolderTransaction transaction(dir.path());
        writeWholeFile(dir / "a.txt", "new a");
        writeWholeFile(dir / "b.txt", "new b");
        writeWholeFile(other / "c.txt", "elsewhere at once");
        EXPECT_EQ(test::readBytes(dir / "a.txt"), "old a");
        EXPECT_EQ(test::readBytes(other / "c.txt"), "elsewhere at once");
        // Given up: nothing changes, and no temporary file stays.
    }
    EXPECT_EQ(test::folderListing(dir.path()), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(test::readBytes(dir / "a.txt"), "old a");
    {
        FolderTransaction transaction(dir.path());
        writeWholeFile(dir / "a.txt", "new a");
        writeWholeFile(dir / "b.txt", "new b");
        transaction.commit();
    }
    EXPECT_EQ(test::folderListing(dir.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(test::readBytes(dir / "a.txt"), "new a");
}

TEST(FileWriter, AWriteProtectedFileIsRefusedAndStays)
{
    TempDir dir;
    test::writeBytes(dir / "a.txt", "protected");
    std::filesystem::permissions(dir / "a.txt", std::filesystem::perms(0444));
    EXPECT_EQ(userErrorOf([&] { writeWholeFile(dir / "a.txt", "new"); }),
              "File access denied: \"" + (dir / "a.txt").string() + "\"");
    EXPECT_EQ(test::readBytes(dir / "a.txt"), "protected");
    EXPECT_EQ(test::folderListing(dir.path()), std::vector<std::string>{"a.txt"});
}

TEST(FileWriter, TemporaryFilesOfWritersThatDiedGoAndThoseOfLiveOnesStay)
{
    TempDir dir;
    const std::string prefix = temporaryNamePrefix(dir / "a.txt");
    const auto hourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    test::writeBytes(dir / (prefix + "dead"), "left by a killed run");
    std::filesystem::last_write_time(dir / (prefix + "dead"), hourAgo);
    test::writeBytes(dir / (prefix + "live"), "being written");
    std::filesystem::last_write_time(dir / (prefix + "live"), hourAgo);
    const int live = ::open((dir / (prefix + "live")).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    test::writeBytes(dir / (prefix + "young"), "just made");
    test::writeBytes(dir / ".notes.tmp", "the user's own");

    writeWholeFile(dir / "a.txt", "saved");
    ::close(live);
    EXPECT_EQ(test::folderListing(dir.path()),
              (std::vector<std::string>{prefix + "live", prefix + "young", ".notes.tmp", "a.txt"}));
}

TEST(FileWriter, ANameOfTheLongestLengthSaves)
{
    TempDir dir;
    const std::string name(250, 'n');
    writeWholeFile(dir / (name + ".txt1"), "long");
    EXPECT_EQ(test::readBytes(dir / (name + ".txt1")), "long");
    EXPECT_EQ(test::folderListing(dir.path()), std::vector<std::string>{name + ".txt1"});
}

}  // namespace
}  // namespace pictavo::platform

namespace pictavo::platform {
namespace {

TEST(CopyFileOverwriting, ReplacesADifferentTargetAndLeavesAnIdenticalOneAlone)
{
    test::TempDir dir;
    test::writeBytes(dir / "from", "same bytes");
    test::writeBytes(dir / "to", "same bytes");
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(dir / "to", old);
    EXPECT_TRUE(copyFileOverwriting(dir / "from", dir / "to"));
    EXPECT_EQ(std::filesystem::last_write_time(dir / "to"), old);

    test::writeBytes(dir / "from", "other bytes");
    EXPECT_TRUE(copyFileOverwriting(dir / "from", dir / "to"));
    EXPECT_EQ(test::readBytes(dir / "to"), "other bytes");
    EXPECT_FALSE(copyFileOverwriting(dir / "missing", dir / "to"));
    EXPECT_EQ(test::readBytes(dir / "to"), "other bytes");

    // The checked copy names the file that failed.
    EXPECT_EQ(userErrorOf([&] { copyFile(dir / "missing", dir / "to"); }),
              "File not found: \"" + (dir / "missing").string() + "\"");
    EXPECT_EQ(userErrorOf([&] { copyFile(dir / "from", dir / "no-folder" / "to"); }),
              "Invalid filename: \"" + (dir / "no-folder" / "to").string() + "\"");
    // A file copied onto itself stays as it is.
    copyFile(dir / "to", dir / "to");
    EXPECT_EQ(test::readBytes(dir / "to"), "other bytes");
}

}  // namespace
}  // namespace pictavo::platform
