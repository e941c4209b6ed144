#include "publish/save_all.h"

#include "build/build_driver.h"
#include "platform/file_ops.h"
#include "platform/folders.h"
#include "publish/readme.h"

#include "platform/ascii.h"

namespace pictavo::publish {

std::string BaseName(const std::string& chosenName)
{
    const std::size_t dot = chosenName.rfind('.');
    if (dot == std::string::npos)
        return chosenName;
    const std::string extension = platform::lowerCase(chosenName.substr(dot));
    const std::string lower = platform::lowerCase(chosenName);
    std::string base;
    for (std::size_t at = 0; at < chosenName.size();) {
        if (lower.compare(at, extension.size(), extension) == 0) {
            at += extension.size();
            continue;
        }
        base += chosenName[at++];
    }
    return base;
}

void SaveAllRequiredFiles(model::TAppletAgent& agent, model::Outline& outline, const std::filesystem::path& folder,
                          const std::string& chosenName, model::ProgressReporter& progress)
{
    const std::filesystem::path preview = platform::GetPreviewFolder();
    const std::filesystem::path program = platform::GetProgramFolder();
    const std::string base = BaseName(chosenName);

    build::BuildGallery(agent, outline, folder / (base + ".html"), progress);
    for (const model::TLinkedFileInfo& file : agent.LinkedFiles)
        platform::copyFileOverwriting(program / file.FileName, folder / file.FileName);
    agent.SaveProjectFile(folder / (base + ".tvgallery1"), progress);
    WriteReadme(agent, folder, base + "_readme.txt", progress);

    progress.setMaximum(100);
    model::ProgressScope scope(progress, "Copying Required Files ... ...");
    auto copyFromPreview = [&](const std::string& name) {
        if (!name.empty() && platform::fileExists(preview / name))
            platform::copyFileOverwriting(preview / name, folder / name);
    };
    for (const model::TItemData& item : agent.Items)
        copyFromPreview(item.ThumbImageName);
    for (const model::TItemData& item : agent.Items)
        copyFromPreview(item.LargeImageName);
    for (const model::TLinkedFileInfo& file : agent.LinkedFiles)
        copyFromPreview(file.FileName);
    progress.advance(50);
    progress.advance(50);
}

}  // namespace pictavo::publish
