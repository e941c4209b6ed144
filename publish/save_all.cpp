#include "publish/save_all.h"

#include "gallery/build_driver.h"
#include "gallery/flash_config.h"
#include "pictures/picture_maker.h"
#include "model/file_names.h"
#include "model/value_encodings.h"
#include "platform/ascii.h"
#include "platform/file_ops.h"
#include "platform/file_writer.h"
#include "platform/folders.h"
#include "publish/readme.h"

#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace pictavo::publish {

namespace {

constexpr const char* ProjectExtension = ".tvgallery1";
constexpr std::size_t MaxFileNameBytes = 255;

using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> fileIdOf(const std::filesystem::path& path)
{
    struct stat info {};
    if (platform::holdsNul(path) || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileId{info.st_dev, info.st_ino};
}

// The pictures a build will make, by the rule that names them: every item
// whose original is there and of a known kind.
std::vector<std::string> plannedPictures(const model::TAppletAgent& agent)
{
    std::vector<std::string> names;
    for (std::size_t n = 0; n < agent.Items.size(); ++n) {
        const std::string original = model::trimControl(agent.Items[n].OriginalImagePath);
        if (!platform::fileExists(original))
            continue;
        try {
            const char* extension = pictures::extensionOf(pictures::pictureFormatOf(original));
            names.push_back("p" + std::to_string(n) + "_t" + extension);
            names.push_back("p" + std::to_string(n) + "_l" + extension);
        } catch (const platform::UserError&) {
            // The build refuses this original before anything is written.
        }
    }
    return names;
}

// Every file of the gallery in its folder but the pictures.
std::vector<std::string> galleryFiles(const model::TAppletAgent& agent, const std::string& chosenName)
{
    const std::string base = BaseName(chosenName);
    std::vector<std::string> names{base + ".html", ProjectFileName(chosenName), base + "_readme.txt"};
    for (const model::TLinkedFileInfo& file : agent.LinkedFiles)
        if (!file.Generated)
            names.push_back(file.FileName);
    names.push_back(gallery::ConfigFileName(agent.AppletData));
    return names;
}

// Every file of the gallery needs a name the file system takes.
void checkOutputNames(const std::string& chosenName, const std::string& base, const std::vector<std::string>& outputs)
{
    if (base.empty())
        throw platform::UserError("The project name \"" + chosenName +
                                  "\" leaves no name for the gallery's page: choose a name before the extension.");
    for (const std::string& name : outputs)
        if (name.size() > MaxFileNameBytes)
            throw platform::UserError("The project name \"" + chosenName + "\" is too long: the gallery's file \"" +
                                      name + "\" would have more than " + std::to_string(MaxFileNameBytes) +
                                      " bytes.");
}

// A published file must never land on one of the project's own originals.
void refuseToOverwriteOriginals(const model::TAppletAgent& agent, const std::filesystem::path& folder,
                                const std::vector<std::string>& outputs)
{
    std::map<FileId, std::string> originals;
    for (const model::TItemData& item : agent.Items) {
        const std::string original = model::trimControl(item.OriginalImagePath);
        if (const std::optional<FileId> id = fileIdOf(original))
            originals.emplace(*id, original);
    }
    if (originals.empty())
        return;
    for (const std::string& name : outputs) {
        const std::optional<FileId> id = fileIdOf(folder / name);
        const auto found = id ? originals.find(*id) : originals.end();
        if (found != originals.end())
            throw platform::UserError("The original picture " + platform::quoted(found->second) +
                                      " would be overwritten by the published file \"" + name +
                                      "\". Nothing was written: move the original out of the gallery's folder, "
                                      "or publish into another folder.");
    }
}

std::string listed(const std::vector<std::string>& names, const char* separator = ", ")
{
    constexpr std::size_t shown = 4;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < shown; ++i)
        text += (i ? separator : "") + names[i];
    if (names.size() > shown)
        text += " and " + std::to_string(names.size() - shown) + " more";
    return text;
}

// Another project saved in the folder publishes its pictures under the same
// names; publishing this one there would silently break that gallery.
void refuseToReplaceOtherGalleries(const std::filesystem::path& folder, const std::string& chosenName,
                                   const std::vector<std::string>& outputs)
{
    const std::filesystem::path ours = folder / ProjectFileName(chosenName);
    const std::set<std::string> written(outputs.begin(), outputs.end());
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::filesystem::path path = entry.path();
        const std::string name = path.filename().string();
        if (platform::lowerCase(path.extension().string()) != ProjectExtension || path == ours ||
            !platform::fileExists(path) || platform::sameFile(path, ours))
            continue;
        model::TAppletAgent other;
        model::Outline otherOutline;
        model::NullProgress quiet;
        try {
            if (other.LoadProjectFile(path, otherOutline, quiet) != model::LoadOutcome::Loaded)
                continue;
        } catch (const platform::UserError&) {
            continue;
        }
        std::set<std::string> theirs{gallery::ConfigFileName(other.AppletData)};
        for (const model::TItemData& item : other.Items)
            for (const std::string* picture : {&item.ThumbImageName, &item.LargeImageName})
                if (model::isPictureName(*picture))
                    theirs.insert(*picture);
        std::vector<std::string> shared;
        for (const std::string& file : theirs)
            if (written.count(file))
                shared.push_back(file);
        if (!shared.empty())
            throw SharedFolderError("The folder " + platform::quoted(folder) + " also holds the gallery \"" + name +
                                    "\", whose files this publish would replace (" + listed(shared) +
                                    "). Give each gallery its own folder.");
    }
}

// An item whose original was not found keeps the names of its last pictures;
// where the folder does not hold them (a publish into another folder), the
// gallery shows nothing for it, and the user is told.
void warnOfPicturesLeftOut(const model::TAppletAgent& agent, const std::filesystem::path& folder,
                           const std::set<std::string>& staged, model::ProgressReporter& progress)
{
    for (std::size_t n = 0; n < agent.Items.size(); ++n) {
        std::vector<std::string> absent;
        for (const std::string* name : {&agent.Items[n].ThumbImageName, &agent.Items[n].LargeImageName})
            if (!name->empty() && !staged.count(*name) && !platform::fileExists(folder / *name))
                absent.push_back(*name);
        if (!absent.empty())
            progress.warning("item " + std::to_string(n) + ": " + listed(absent, " and ") + " of its last build " +
                             (absent.size() > 1 ? "are" : "is") + " not in " + platform::quoted(folder) +
                             ": the gallery shows no picture for it");
    }
}

}  // namespace

std::string ProjectFileName(const std::string& chosenName)
{
    const std::string extension = ProjectExtension;
    if (chosenName.size() > extension.size() &&
        platform::lowerCase(chosenName.substr(chosenName.size() - extension.size())) == extension)
        return chosenName;
    return BaseName(chosenName) + extension;
}

std::optional<std::filesystem::path> ProjectFileReplacedUnasked(const std::filesystem::path& folder,
                                                                const std::string& chosenName,
                                                                const std::filesystem::path& current)
{
    const std::string written = ProjectFileName(chosenName);
    const std::filesystem::path file = folder / written;
    std::error_code error;
    if (written == chosenName || std::filesystem::symlink_status(file, error).type() ==
                                     std::filesystem::file_type::not_found)
        return std::nullopt;
    if (!current.empty() && (file == current || platform::sameFile(file, current)))
        return std::nullopt;
    return file;
}

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
                          const std::string& chosenName, model::ProgressReporter& progress, OtherGalleries others)
{
    const std::filesystem::path preview = platform::GetPreviewFolder();
    const std::filesystem::path program = platform::GetProgramFolder();
    const std::string base = BaseName(chosenName);

    model::checkGalleryName(agent.AppletData.pScriptName);
    // Two publishes into one folder take turns, so that each sees what the
    // other left and neither mixes its files with the other's.
    const platform::FolderLock folderLock(folder, [&] {
        progress.setHint("Waiting for another publish into this folder ...");
        progress.waiting();
    });
    std::vector<std::string> outputs = galleryFiles(agent, chosenName);
    const std::vector<std::string> pictures = plannedPictures(agent);
    outputs.insert(outputs.end(), pictures.begin(), pictures.end());
    checkOutputNames(chosenName, base, outputs);
    refuseToOverwriteOriginals(agent, folder, outputs);
    if (others == OtherGalleries::Refuse)
        refuseToReplaceOtherGalleries(folder, chosenName, outputs);

    // Every file of the gallery takes its place at the end, together: a
    // publish that fails leaves the gallery as it was.
    platform::FolderTransaction transaction(folder);
    const std::size_t stagedBefore = agent.WorkingFiles.size();
    gallery::BuildGallery(agent, outline, folder / (base + ".html"), progress);
    // Only what this build staged is published: a picture of an earlier
    // build, or of another project, never stands in for a missing one.
    const std::set<std::string> staged(agent.WorkingFiles.begin() + static_cast<std::ptrdiff_t>(stagedBefore),
                                       agent.WorkingFiles.end());

    for (const model::TLinkedFileInfo& file : agent.LinkedFiles)
        if (!file.Generated)
            platform::copyFile(program / file.FileName, folder / file.FileName);
    agent.SaveProjectFile(folder / ProjectFileName(chosenName), progress);
    WriteReadme(agent, folder, base + "_readme.txt", progress);

    progress.setMaximum(100);
    model::ProgressScope scope(progress, "Copying Required Files ... ...");
    std::vector<std::string> published = galleryFiles(agent, chosenName);
    auto copyStaged = [&](const std::string& name) {
        if (!staged.count(name))
            return;
        platform::copyFile(preview / name, folder / name);
        published.push_back(name);
    };
    for (const model::TItemData& item : agent.Items)
        copyStaged(item.ThumbImageName);
    for (const model::TItemData& item : agent.Items)
        copyStaged(item.LargeImageName);
    for (const model::TLinkedFileInfo& file : agent.LinkedFiles)
        if (file.Generated)
            copyStaged(file.FileName);
    transaction.commit();
    progress.advance(50);
    warnOfPicturesLeftOut(agent, folder, staged, progress);

    std::vector<std::string> missing;
    for (const std::string& name : published)
        if (!platform::fileExists(folder / name))
            missing.push_back(name);
    if (!missing.empty())
        throw platform::UserError("The gallery in " + platform::quoted(folder) + " is incomplete: " + listed(missing) +
                                  " could not be published.");
    progress.advance(50);
}

}  // namespace pictavo::publish
