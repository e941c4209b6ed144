#include "gallery/staging.h"

#include "model/value_encodings.h"
#include "platform/ascii.h"
#include "platform/file_ops.h"
#include "platform/folders.h"


namespace pictavo::gallery {

namespace {

std::string comparable(const std::filesystem::path& path)
{
    return platform::lowerCase(model::trimControl(path.string()));
}

}  // namespace

void StageFile(model::TAppletAgent& agent, const std::filesystem::path& file)
{
    const std::filesystem::path target = platform::GetPreviewFolder() / file.filename();
    // A file that is not there is skipped, as the player files are when the
    // folder holds none; one that is there and cannot be staged stops the
    // build, which would otherwise publish an old picture or none.
    if (comparable(file) != comparable(target) && platform::fileExists(file))
        platform::copyFile(file, target);
    agent.WorkingFiles.push_back(file.filename().string());
}

void StageRequiredFiles(model::TAppletAgent& agent, const std::filesystem::path& sourceFolder)
{
    for (const model::TLinkedFileInfo& required : agent.LinkedFiles) {
        const std::filesystem::path source = sourceFolder / required.FileName;
        StageFile(agent, source);
        if (required.Generated)
            platform::deleteFile(source);
    }
}

void StageResourceFiles(const std::filesystem::path&, model::ProgressReporter& progress)
{
    progress.setMaximum(100);
    model::ProgressScope scope(progress, "Copying Resource Files ... ...");
    progress.advance(50);
    progress.advance(50);
}

void ClearPreviewFolder(model::TAppletAgent& agent)
{
    const std::filesystem::path preview = platform::GetPreviewFolder();
    for (const std::string& name : agent.WorkingFiles)
        platform::deleteFile(preview / name);
    agent.WorkingFiles.clear();
    platform::removeFolderIfEmpty(preview);
}

}  // namespace pictavo::gallery
