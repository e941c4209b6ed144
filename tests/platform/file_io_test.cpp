#include "platform/file_ops.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "platform/user_error.h"
#include "support/temp_dir.h"
#include "support/user_error_of.h"

#include <cerrno>
#include <csignal>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

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
    EXPECT_EQ(userErrorOf([&] { readWholeFile(dir / "missing.txt"); }), "File not found");
    EXPECT_EQ(userErrorOf([&] { readWholeFile(dir.path()); }), "File access denied");
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
    EXPECT_EQ(message, "Disk full");
    EXPECT_EQ(test::readBytes(dir / "a.txt"), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(FileWriter, AMissingFolderIsAnInvalidFilename)
{
    TempDir dir;
    EXPECT_EQ(userErrorOf([&] { FileWriter writer(dir / "no-such-folder" / "a.txt"); }), "Invalid filename");
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
}

}  // namespace
}  // namespace pictavo::platform
