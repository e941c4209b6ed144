#include "gallery/staging.h"

#include "support/recording_progress.h"
#include "support/user_folders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pictavo::gallery {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

class Staging : public testing::Test {
protected:
    test::UserFolders user;
    test::TempDir source;
    model::TAppletAgent agent;
};

TEST_F(Staging, StageFileCopiesOverwritingAndRecordsTheName)
{
    test::writeBytes(source / "p0_t.jpg", "new");
    std::filesystem::create_directories(user.previewFolder());
    test::writeBytes(user.previewFolder() / "p0_t.jpg", "old");
    StageFile(agent, source / "p0_t.jpg");
    EXPECT_EQ(test::readBytes(user.previewFolder() / "p0_t.jpg"), "new");
    EXPECT_EQ(test::readBytes(source / "p0_t.jpg"), "new");

    // A missing source copies nothing and is still recorded.
    StageFile(agent, source / "missing.xml");
    EXPECT_THAT(agent.WorkingFiles, ElementsAre("p0_t.jpg", "missing.xml"));
    EXPECT_THAT(test::folderListing(user.previewFolder()), ElementsAre("p0_t.jpg"));
}

TEST_F(Staging, AFileAlreadyInThePreviewFolderIsRecordedAndClearedOnce)
{
    std::filesystem::create_directories(user.previewFolder());
    test::writeBytes(user.previewFolder() / "~preview.html", "page");
    const std::filesystem::path inPreview = user.previewFolder() / "~preview.html";
    StageFile(agent, inPreview);
    StageFile(agent, "  " + inPreview.string() + " ");
    EXPECT_EQ(test::readBytes(inPreview), "page");
    EXPECT_THAT(agent.WorkingFiles, ElementsAre("~preview.html", "~preview.html "));

    StageFile(agent, inPreview);
    ClearPreviewFolder(agent);
    EXPECT_THAT(agent.WorkingFiles, IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(user.previewFolder()));
}

TEST_F(Staging, ClearingKeepsFilesThatWereNeverStagedAndTheFolderWithThem)
{
    test::writeBytes(source / "a.jpg", "a");
    StageFile(agent, source / "a.jpg");
    test::writeBytes(user.previewFolder() / "foreign.txt", "x");
    ClearPreviewFolder(agent);
    EXPECT_THAT(test::folderListing(user.previewFolder()), ElementsAre("foreign.txt"));

    std::filesystem::remove(user.previewFolder() / "foreign.txt");
    ClearPreviewFolder(agent);
    EXPECT_FALSE(std::filesystem::exists(user.previewFolder()));
    ClearPreviewFolder(agent);  // with nothing staged it removes the folder it made again
    EXPECT_FALSE(std::filesystem::exists(user.previewFolder()));
}

TEST_F(Staging, RequiredFilesAreCopiedAndTheGeneratedOneMoved)
{
    test::writeBytes(source / "imagegallery.swf", "swf");
    test::writeBytes(source / "swfobject.js", "js");
    agent.LinkedFiles[3].FileName = "gallery1config.xml";
    test::writeBytes(source / "gallery1config.xml", "xml");
    StageRequiredFiles(agent, source.path());
    EXPECT_THAT(agent.WorkingFiles,
                ElementsAre("imagegallery.swf", "expressinstall.swf", "swfobject.js", "gallery1config.xml"));
    EXPECT_THAT(test::folderListing(user.previewFolder()),
                ElementsAre("gallery1config.xml", "imagegallery.swf", "swfobject.js"));
    EXPECT_THAT(test::folderListing(source.path()), ElementsAre("imagegallery.swf", "swfobject.js"));
}

TEST_F(Staging, ResourceFilesOnlyReportProgress)
{
    test::RecordingProgress progress;
    StageResourceFiles(source.path(), progress);
    EXPECT_THAT(progress.calls, ElementsAre("maximum 100", "hint Copying Resource Files ... ...", "busy on", "reset",
                                            "hint ", "busy off"));
    EXPECT_EQ(progress.steps, 100);
    EXPECT_THAT(test::folderListing(source.path()), IsEmpty());
}

}  // namespace
}  // namespace pictavo::gallery
