#include "model/applet_agent.h"
#include "model/project_file.h"
#include "platform/file_reader.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"
#include "support/user_error_of.h"

#include <csignal>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <new>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pictavo::model {
namespace {

using test::readBytes;
using test::RecordingProgress;
using test::TempDir;
using test::userErrorOf;
using test::writeBytes;

const std::string galleryLine =
    "gallery1#$@1#$@5#$@133#$@75#$@667#$@375#$@#$@#$@0#$@30#$@3#$@2#$@1#$@27#$@2#$@1#$@51#$@2#$@1#$@3#$@"
    "FFFF00#$@80#$@0#$@#$@#$@75#$@0#$@10#$@4#$@#$@FFFF00#$@20#$@FFFFFF#$@10#$@C0C0C0#$@10#$@000000#$@0#$@"
    "#$@#$@#$@1#$@";
const std::string beachLine = "p0_t.jpg#$@p0_l.jpg#$@C:\\Photos\\beach.jpg#$@#$@_self#$@Beach#$@#$@0#$@#$@#$@#$@";

const std::string header =
    "<Warning_Info>\r\n"
    "Note: This file was created and maintained by Pictavo 1.0.\r\n"
    "Do not modify it or script project may not be opened again!\r\n"
    "</Warning_Info>\r\n"
    "<Product_Name>\r\n"
    "Pictavo\r\n"
    "</Product_Name>\r\n"
    "<Product_Version>\r\n"
    "1.0\r\n"
    "</Product_Version>\r\n";

// A default project as the editor stores it (fields 8, 9, 25, 26, 31 empty).
void storedDefaults(TAppletAgent& agent)
{
    agent.ResetToDefaults();
    for (int position : {8, 9, 25, 26, 31})
        agent.AppletData.field(position).clear();
}

TItemData beach()
{
    TItemData item = TAppletAgent::NewItemData();
    item.ThumbImageName = "p0_t.jpg";
    item.LargeImageName = "p0_l.jpg";
    item.OriginalImagePath = "C:\\Photos\\beach.jpg";
    item.ToolTip = "Beach";
    item.Level = "0";
    return item;
}

std::string fileWithItems(const std::string& gallery, const std::vector<std::string>& itemLines)
{
    std::string text = header + "<Applet_Parameters>\r\n" + gallery + "\r\n</Applet_Parameters>\r\n<Item_Parameters>\r\n";
    for (const std::string& line : itemLines)
        text += line + "\r\n";
    return text + "</Item_Parameters>\r\n";
}

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

TEST(ExtractFields, TakesTheTextBeforeEachSeparator)
{
    using Fields = std::vector<std::string_view>;
    struct Case {
        std::string_view line;
        int count;
        std::string_view separator;
        Fields fields;
    };
    const Case cases[] = {
        // Text after the last separator is never read.
        {"a#$@#$@c#$@tail", 5, "#$@", {"a", "", "c", "", ""}},
        {"a#$@#$@c#$@tail", 2, "#$@", {"a", ""}},
        {"a#$@b", 0, "#$@", {}},
        {"a#$@b", -3, "#$@", {}},
        {"", 2, "#$@", {"", ""}},
        {"a#$#$@", 1, "#$@", {"a#$"}},
        {"##$@#$@@", 3, "#$@", {"#", "", ""}},
        {"a#$@b#$@", 2, "", {"", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtractFields(c.line, c.count, c.separator), c.fields) << c.line << " " << c.count;
}

TEST(SaveProjectFile, WritesTheSpecifiedLinesByteForByte)
{
    TempDir dir;
    TAppletAgent agent;
    storedDefaults(agent);
    agent.Items.push_back(beach());
    RecordingProgress progress;
    agent.SaveProjectFile(dir / "p.tvgallery1", progress);
    EXPECT_EQ(readBytes(dir / "p.tvgallery1"), fileWithItems(galleryLine, {beachLine}));
}

TEST(SaveProjectFile, AnEmptyProjectHasFifteenLinesAndEverySeparator)
{
    TempDir dir;
    TAppletAgent agent;
    RecordingProgress progress;
    agent.SaveProjectFile(dir / "p.tvgallery1", progress);
    const std::string text = readBytes(dir / "p.tvgallery1");
    const auto lines = platform::splitLines(text);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(count(text, "\r\n"), 15u);
    EXPECT_EQ(count(text, "\n"), 15u);
    std::string emptyGalleryLine;
    for (int i = 0; i < 43; ++i)
        emptyGalleryLine += "#$@";
    EXPECT_EQ(lines[11], emptyGalleryLine);
    EXPECT_EQ(lines[13], "<Item_Parameters>");
    EXPECT_EQ(lines[14], "</Item_Parameters>");

    agent.Items.push_back(TItemData{});
    agent.SaveProjectFile(dir / "p.tvgallery1", progress);
    EXPECT_EQ(platform::splitLines(readBytes(dir / "p.tvgallery1"))[14], "#$@#$@#$@#$@#$@#$@#$@#$@#$@#$@#$@");
}

TEST(SaveProjectFile, ReportsProgressElevenStepsAnItemAndFifteenMore)
{
    TempDir dir;
    TAppletAgent agent;
    agent.ResetToDefaults();
    for (int i = 0; i < 3; ++i)
        agent.Items.push_back(beach());
    RecordingProgress progress;
    agent.SaveProjectFile(dir / "p.tvgallery1", progress);
    EXPECT_EQ(progress.maximum, 48);
    EXPECT_EQ(progress.steps, 48);
    EXPECT_THAT(progress.calls, testing::ElementsAre("hint Saving Data ... ...", "busy on", "maximum 48", "reset",
                                                     "hint ", "busy off"));
}

TEST(SaveProjectFile, AFailedSaveKeepsThePreviousFileByteForByte)
{
    TempDir dir;
    const std::string previous = fileWithItems(galleryLine, {beachLine});
    writeBytes(dir / "p.tvgallery1", previous);
    TAppletAgent agent;
    agent.ResetToDefaults();
    for (int i = 0; i < 200; ++i)
        agent.Items.push_back(beach());

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    RecordingProgress progress;
    const std::string message = userErrorOf([&] { agent.SaveProjectFile(dir / "p.tvgallery1", progress); });
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(message, "Disk full: \"" + (dir / "p.tvgallery1").string() + "\"");
    EXPECT_EQ(readBytes(dir / "p.tvgallery1"), previous);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(progress.busy);
}

TEST(ProjectFile, RoundTripsEveryFieldAndTheOutline)
{
    TempDir dir;
    TAppletAgent agent;
    agent.ResetToDefaults();
    agent.AppletData.pScriptName = "Caf\xE9 \"Quotes\" & <Tags>";  // Windows-1252 bytes stay bytes
    agent.AppletData.pImageLeadingPath = "images/ü/";
    agent.AppletData.InternalUse_RootDir_Remote = "";
    const char* levels[] = {"0", "1", "1", "2", "0"};
    for (int i = 0; i < 5; ++i) {
        TItemData item = beach();
        item.OriginalImagePath = "/home/a/p" + std::to_string(i) + ".jpg";
        item.Description = i == 2 ? "" : "<b>x</b> & \"y\" \xC3\xA9";
        item.Link = i == 3 ? "http://example.com/?a=1&b=2" : "";
        item.Level = levels[i];
        agent.Items.push_back(item);
    }
    agent.Items[4].Reserved = "kept";
    NullProgress progress;
    agent.SaveProjectFile(dir / "p.tvgallery1", progress);

    TAppletAgent loaded;
    Outline outline;
    ASSERT_EQ(loaded.LoadProjectFile(dir / "p.tvgallery1", outline, progress), LoadOutcome::Loaded);
    EXPECT_EQ(loaded.AppletData, agent.AppletData);
    EXPECT_EQ(loaded.Items, agent.Items);
    ASSERT_EQ(outline.nodeCount(), 6);
    const int parents[] = {-1, 0, 1, 1, 3, 0};
    for (int node = 0; node < 6; ++node)
        EXPECT_EQ(outline.parent(node), parents[node]);
    EXPECT_EQ(outline.caption(4), "p3.jpg");
}

TEST(LoadProjectFile, AcceptsOddButReadableFiles)
{
    std::string fortySeparators;
    for (int i = 1; i <= 40; ++i)
        fortySeparators += std::to_string(i) + "#$@";
    std::string fiftySeparators;
    for (int i = 1; i <= 50; ++i)
        fiftySeparators += std::to_string(i) + "#$@";

    struct Case {
        const char* what;
        std::string file;
        std::string field1;
        std::string field43;
        std::size_t items;
    };
    const std::string lf = [] {
        std::string s = fileWithItems(galleryLine, {beachLine});
        std::string out;
        for (char c : s)
            if (c != '\r')
                out += c;
        return out;
    }();
    std::string cr = lf;
    for (char& c : cr)
        if (c == '\n')
            c = '\r';
    std::string trellimo = fileWithItems(galleryLine, {});
    trellimo.replace(trellimo.find("\r\nPictavo\r\n"), 11, "\r\nTrellimo\r\n");
    std::string version = fileWithItems(galleryLine, {});
    version.replace(version.find("1.0\r\n"), 5, "2.5\r\n");
    std::string emptyVersion = fileWithItems(galleryLine, {});
    emptyVersion.replace(emptyVersion.find("1.0\r\n"), 5, "\r\n");
    std::string extra = "junk\r\n" + fileWithItems(galleryLine, {beachLine}) + "after\r\n";
    extra.replace(extra.find("</Applet_Parameters>"), 0, "ignored\r\n");
    extra.replace(extra.find("</Product_Name>"), 0, "ignored\r\n");
    std::string noFinalSeparator = galleryLine.substr(0, galleryLine.size() - 3);

    const Case cases[] = {
        {"CR LF", fileWithItems(galleryLine, {beachLine}), "gallery1", "1", 1},
        {"LF", lf, "gallery1", "1", 1},
        {"CR", cr, "gallery1", "1", 1},
        {"Trellimo", trellimo, "gallery1", "1", 0},
        {"version 2.5", version, "gallery1", "1", 0},
        {"empty version", emptyVersion, "gallery1", "1", 0},
        {"extra lines", extra, "gallery1", "1", 1},
        {"40 separators", fileWithItems(fortySeparators, {}), "1", "", 0},
        {"50 separators", fileWithItems(fiftySeparators, {}), "1", "43", 0},
        {"no final separator", fileWithItems(noFinalSeparator, {}), "gallery1", "", 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeBytes(dir / "p.tvgallery1", c.file);
        TAppletAgent agent;
        Outline outline;
        NullProgress progress;
        ASSERT_EQ(agent.LoadProjectFile(dir / "p.tvgallery1", outline, progress), LoadOutcome::Loaded) << c.what;
        EXPECT_EQ(agent.AppletData.field(1), c.field1) << c.what;
        EXPECT_EQ(agent.AppletData.field(43), c.field43) << c.what;
        EXPECT_EQ(agent.Items.size(), c.items) << c.what;
        EXPECT_EQ(outline.nodeCount(), static_cast<int>(c.items) + 1) << c.what;
    }
}

TEST(LoadProjectFile, ALineDirectlyAfterATagIsTakenAsWhatFollowsIt)
{
    TempDir dir;
    std::string file = fileWithItems(galleryLine, {});
    file.replace(file.find("<Applet_Parameters>\r\n") + 21, 0, "x#$@\r\n");
    writeBytes(dir / "p.tvgallery1", file);
    TAppletAgent agent;
    Outline outline;
    NullProgress progress;
    ASSERT_EQ(agent.LoadProjectFile(dir / "p.tvgallery1", outline, progress), LoadOutcome::Loaded);
    EXPECT_EQ(agent.AppletData.pScriptName, "x");
    EXPECT_EQ(agent.AppletData.enableAutoPlay, "");
}

class LoadThatChangesNothing : public testing::Test {
protected:
    void SetUp() override
    {
        agent.ResetToDefaults();
        agent.AppletData.pScriptName = "current";
        agent.Items.push_back(beach());
        outline = rebuildOutline(agent.Items);
    }

    // Loads the text and checks that the agent and the outline kept the
    // current project; returns the error message, or "refused".
    std::string load(const std::string& text)
    {
        writeBytes(dir / "p.tvgallery1", text);
        RecordingProgress progress;
        std::string result = userErrorOf([&] {
            if (agent.LoadProjectFile(dir / "p.tvgallery1", outline, progress) == LoadOutcome::Refused)
                throw platform::UserError("refused");
        });
        EXPECT_EQ(agent.AppletData.pScriptName, "current");
        EXPECT_EQ(agent.Items.size(), 1u);
        EXPECT_EQ(outline.nodeCount(), 2);
        EXPECT_FALSE(progress.busy);
        EXPECT_EQ(progress.hint, "");
        return result;
    }

    TempDir dir;
    TAppletAgent agent;
    Outline outline;
};

TEST_F(LoadThatChangesNothing, AForeignProductTagIsRefused)
{
    std::string file = fileWithItems(galleryLine, {beachLine});
    file.replace(file.find("\r\nPictavo\r\n"), 11, "\r\nPictavo \r\n");
    EXPECT_EQ(load(file), "refused");
    file.replace(file.find("\r\nPictavo \r\n"), 12, "\r\npictavo\r\n");
    EXPECT_EQ(load(file), "refused");
    EXPECT_EQ(NotPictavoFileMessage, "This file wasn't saved by Pictavo 1.0, open failed!");
}

TEST_F(LoadThatChangesNothing, AFileThatEndsEarlyFailsWithAMessageNamingIt)
{
    const std::string full = fileWithItems(galleryLine, {beachLine, beachLine});
    const std::string expected = "The project file \"" + (dir / "p.tvgallery1").string() +
                                 "\" ends before its item list is complete and cannot be opened.";
    for (const char* cutAfter : {"<Product_Name>\r\n", "</Product_Name>\r\n", "<Product_Version>\r\n",
                                 "<Applet_Parameters>\r\n", "</Applet_Parameters>\r\n", "<Item_Parameters>\r\n",
                                 "#$@#$@#$@\r\n"}) {
        EXPECT_EQ(load(full.substr(0, full.find(cutAfter) + std::string(cutAfter).size())), expected) << cutAfter;
    }
    EXPECT_EQ(load(""), expected);
    EXPECT_EQ(load("\x89PNG\r\n\x1a\n binary"), expected);
}

TEST_F(LoadThatChangesNothing, AnItemLevelThatIsNotAnIntegerFails)
{
    std::string badLevel = beachLine;
    badLevel.replace(badLevel.find("#$@0#$@"), 7, "#$@x1#$@");
    // The conversion error, and where in which file the value stands.
    const std::string where = " in \"" + (dir / "p.tvgallery1").string() + "\")";
    EXPECT_EQ(load(fileWithItems(galleryLine, {beachLine, badLevel})),
              "'x1' is not a valid integer value (the level of item 1" + where);
    EXPECT_EQ(load(fileWithItems(galleryLine, {beachLine, ""})), "'' is not a valid integer value (the level of item 1" + where);
}

TEST_F(LoadThatChangesNothing, AFileFarTooLargeForAProjectIsNotRead)
{
    // A sparse file: its size costs no disk.
    writeBytes(dir / "huge.tvgallery1", "");
    std::filesystem::resize_file(dir / "huge.tvgallery1", std::uintmax_t{3} << 30);
    NullProgress progress;
    EXPECT_EQ(userErrorOf([&] { agent.LoadProjectFile(dir / "huge.tvgallery1", outline, progress); }),
              "The project file \"" + (dir / "huge.tvgallery1").string() +
                  "\" is too large to be opened (3221225472 bytes; at most 512 MiB).");
    EXPECT_EQ(agent.AppletData.pScriptName, "current");
}

TEST_F(LoadThatChangesNothing, AMissingFileIsFileNotFound)
{
    NullProgress progress;
    EXPECT_EQ(userErrorOf([&] { agent.LoadProjectFile(dir / "none.tvgallery1", outline, progress); }),
              "File not found: \"" + (dir / "none.tvgallery1").string() + "\"");
    EXPECT_EQ(agent.AppletData.pScriptName, "current");
}

// Hostile files are read at a cost bounded by their size. These tests run
// under a short CTest timeout (tests/CMakeLists.txt): a reading that is not
// linear, or linear with a huge constant, overruns it.

#ifndef __SANITIZE_ADDRESS__
// The address space a process holds now, in bytes.
std::size_t addressSpaceInUse()
{
    std::size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// Loads the file in a child process whose address space may grow by at most
// the allowance; returns the load's error message, or how the child ended.
std::string loadWithin(const std::filesystem::path& file, std::size_t allowance)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = addressSpaceInUse() + allowance;
        ::setrlimit(RLIMIT_AS, &limit);
        std::string message;
        try {
            TAppletAgent agent;
            Outline outline;
            NullProgress progress;
            message = userErrorOf([&] { agent.LoadProjectFile(file, outline, progress); });
        } catch (const std::bad_alloc&) {
            message = "out of memory";
        }
        const bool written = ::write(channel[1], message.data(), message.size()) == static_cast<ssize_t>(message.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    std::string message;
    char chunk[4096];
    for (ssize_t n; (n = ::read(channel[0], chunk, sizeof chunk)) > 0;)
        message.append(chunk, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child ended with status " + std::to_string(status);
    return message;
}

TEST(HostileProjectFile, ARefusedFileCostsLittleMoreThanItsText)
{
    const std::string start = header + "<Applet_Parameters>\r\n" + galleryLine +
                              "\r\n</Applet_Parameters>\r\n<Item_Parameters>\r\n";
    constexpr std::size_t size = 4 << 20;
    const std::string blankLines(size, '\n');
    // The shortest line that makes an item: eight separators and a level.
    const std::string shortItem = "#$@#$@#$@#$@#$@#$@#$@0#$@\n";
    std::string shortItems;
    while (shortItems.size() < size)
        shortItems += shortItem;

    TempDir dir;
    const std::string endsEarly =
        "The project file \"" + (dir / "p.tvgallery1").string() +
        "\" ends before its item list is complete and cannot be opened.";
    struct Case {
        const char* what;
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {"blank lines", blankLines, endsEarly},
        {"blank items, no end", start + blankLines, endsEarly},
        {"blank items", start + blankLines + "</Item_Parameters>\r\n",
         "'' is not a valid integer value (the level of item 0 in \"" + (dir / "p.tvgallery1").string() + "\")"},
        {"short items, no end", start + shortItems, endsEarly},
        {"short items, then a bad level", start + shortItems + "#$@#$@#$@#$@#$@#$@#$@x#$@\n</Item_Parameters>\r\n",
         "'x' is not a valid integer value (the level of item " + std::to_string(size / shortItem.size() + 1) +
             " in \"" + (dir / "p.tvgallery1").string() + "\")"},
    };
    for (const Case& c : cases) {
        writeBytes(dir / "p.tvgallery1", c.file);
        EXPECT_EQ(loadWithin(dir / "p.tvgallery1", 4 * c.file.size() + (16 << 20)), c.message) << c.what;
    }
}
#endif

TEST(HostileProjectFile, LongRunsOfSeparatorCharactersAreReadInOnePass)
{
    // Each line's fields are split in one pass: a search from the line's
    // start for every field took minutes over this gallery line, beyond
    // the time any test is given.
    TempDir dir;
    std::string items;
    for (int i = 0; i < 64; ++i)
        items += std::string(1 << 16, '#') + "#$@#$@#$@#$@#$@#$@#$@0#$@\r\n";
    writeBytes(dir / "p.tvgallery1", header + "<Applet_Parameters>\r\n" + std::string(64 << 20, '#') +
                                         "\r\n</Applet_Parameters>\r\n<Item_Parameters>\r\n" + items +
                                         "</Item_Parameters>\r\n");
    TAppletAgent agent;
    Outline outline;
    NullProgress progress;
    ASSERT_EQ(agent.LoadProjectFile(dir / "p.tvgallery1", outline, progress), LoadOutcome::Loaded);
    EXPECT_EQ(agent.AppletData.pScriptName, "");
    ASSERT_EQ(agent.Items.size(), 64u);
    EXPECT_EQ(agent.Items[63].ThumbImageName, std::string(1 << 16, '#'));
    EXPECT_EQ(outline.nodeCount(), 65);
}

}  // namespace
}  // namespace pictavo::model
