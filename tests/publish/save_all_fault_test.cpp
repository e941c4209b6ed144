#include "publish/save_all.h"

#include "pictures/bmp_codec.h"
#include "platform/file_writer.h"
#include "support/items.h"
#include "support/pictures.h"
#include "support/recording_progress.h"
#include "support/user_error_of.h"
#include "support/user_folders.h"

#include <cerrno>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>

namespace pictavo::publish {
namespace {

// A save whose write or close fails part-way through one of its files.
class FailingSave : public testing::Test {
protected:
    FailingSave()
    {
        test::writeBytes(originals / "a.bmp", pictures::encodeBmp(test::coordinatePicture(40, 30)));
        agent.ResetToDefaults();
        agent.Items.push_back(test::itemWithOriginal(originals / "a.bmp"));
        outline = model::rebuildOutline(agent.Items);
        test::writeBytes(site / "g.tvgallery1", previous);
    }
    ~FailingSave() override { platform::setWriteFault(std::nullopt); }

    std::string save()
    {
        agent.Items[0].ToolTip = "new title";
        return test::userErrorOf([&] { SaveAllRequiredFiles(agent, outline, site.path(), "g.tvgallery1", progress); });
    }

    bool temporaryFilesLeft() const
    {
        for (const std::string& name : test::folderListing(site.path()))
            if (name.front() == '.')
                return true;
        return false;
    }

    const std::string previous = "the previous project file\r\n";
    test::UserFolders user;
    test::TempDir originals;
    test::TempDir site;
    model::TAppletAgent agent;
    model::Outline outline;
    test::RecordingProgress progress;
};

TEST_F(FailingSave, AFileThatCannotBeWrittenStopsTheSaveAndKeepsThePreviousProjectFile)
{
    struct Case {
        const char* file;
        bool atClose;
        int error;
        const char* message;
        const char* named;  // the file the message names
    };
    const std::string temp = user.tempFolder().string();
    const std::string target = site.path().string();
    // The player files first: once copied, the same bytes are not written again.
    const Case cases[] = {
        {"swfobject", false, ENOSPC, "Disk full", "swfobject.js"},
        {"g.html", false, ENOSPC, "Disk full", "g.html"},
        {"g.html", true, EIO, "I/O error 5", "g.html"},
        {"gallery1config.xml", false, EDQUOT, "Disk full", "gallery1config.xml"},
        {"gallery1config.xml", true, ENOSPC, "Disk full", "gallery1config.xml"},
        {"p0_t", false, EIO, "I/O error 5", "p0_t.bmp"},
        {"p0_l", true, ENOSPC, "Disk full", "p0_l.bmp"},
        {"g.tvgallery1", false, ENOSPC, "Disk full", "g.tvgallery1"},
        {"g.tvgallery1", true, EIO, "I/O error 5", "g.tvgallery1"},
    };
    for (const Case& c : cases) {
        platform::setWriteFault(platform::WriteFault{c.file, c.atClose, c.error});
        const std::string message = save();
        // A picture and the configuration fail while they are made in the
        // run's Temp folder; the others on their way into the site.
        const bool made = std::string(c.named).find("_") == 2 || std::string(c.named).find("config") != std::string::npos;
        EXPECT_EQ(message, std::string(c.message) + ": \"" + (made ? temp + "/" : target + "/") + c.named + "\"")
            << c.file;
        EXPECT_EQ(test::readBytes(site / "g.tvgallery1"), previous) << c.file;
        EXPECT_FALSE(temporaryFilesLeft()) << c.file;
    }
}

// A save that fails part-way leaves the whole published gallery as
// the previous save left it, not half the new one.
TEST_F(FailingSave, AFailurePartWayLeavesThePreviousGalleryWhole)
{
    ASSERT_EQ(save(), "<no error>");
    std::map<std::string, std::string> before;
    for (const std::string& name : test::folderListing(site.path()))
        before[name] = test::readBytes(site / name);

    agent.AppletData.pScriptName = "Renamed";
    agent.AppletData.largeImageWidth = "300";
    platform::setWriteFault(platform::WriteFault{"g_readme.txt", false, ENOSPC});
    EXPECT_EQ(save(), "Disk full: \"" + (site / "g_readme.txt").string() + "\"");
    std::map<std::string, std::string> after;
    for (const std::string& name : test::folderListing(site.path()))
        after[name] = test::readBytes(site / name);
    EXPECT_EQ(after, before);

    platform::setWriteFault(std::nullopt);
    EXPECT_EQ(save(), "<no error>");
    EXPECT_THAT(test::readBytes(site / "g.html"), testing::HasSubstr("Renamedconfig.xml"));
    EXPECT_TRUE(std::filesystem::exists(site / "Renamedconfig.xml"));
}

}  // namespace
}  // namespace pictavo::publish
