#include "gallery/build_driver.h"

#include "gallery/embedding_page.h"
#include "gallery/flash_config.h"
#include "gallery/item_images.h"
#include "model/file_names.h"
#include "model/value_encodings.h"
#include "platform/ascii.h"
#include "platform/file_ops.h"
#include "platform/folders.h"
#include "gallery/staging.h"

#include <vector>

namespace pictavo::gallery {

namespace {

bool matchesAt(std::string_view text, std::size_t at, std::string_view part)
{
    if (part.empty() || at + part.size() > text.size())
        return false;
    for (std::size_t i = 0; i < part.size(); ++i)
        if (platform::lowerCase(text[at + i]) != platform::lowerCase(part[i]))
            return false;
    return true;
}

// An item whose original is missing keeps the picture names it was saved
// with; a name this program would not have given that item (a path, say, or
// the name of another item's picture) is dropped, so that it never reaches
// the configuration, the page or a copy.
void forgetForeignPictureNames(model::TAppletAgent& agent)
{
    for (std::size_t n = 0; n < agent.Items.size(); ++n)
        for (std::string* name : {&agent.Items[n].ThumbImageName, &agent.Items[n].LargeImageName})
            if (!model::isPictureNameOf(*name, n))
                name->clear();
}

}  // namespace

std::string replacePrefix(std::string_view link, std::string_view from, std::string_view to)
{
    // Where `to` already stands, `from` is part of it and stays.
    std::vector<bool> protectedByte(link.size(), false);
    for (std::size_t at = 0; at < link.size(); ++at)
        if (matchesAt(link, at, to))
            for (std::size_t i = at; i < at + to.size(); ++i)
                protectedByte[i] = true;

    std::string out;
    std::size_t at = 0;
    while (at < link.size()) {
        if (matchesAt(link, at, from)) {
            bool inside = true;
            for (std::size_t i = at; i < at + from.size(); ++i)
                inside = inside && protectedByte[i];
            if (!inside) {
                out += to;
                at += from.size();
                continue;
            }
        }
        out += link[at++];
    }
    return out;
}

void PrepareItemLinks(model::TAppletAgent& agent, const model::Outline& outline)
{
    const model::TAppletData& applet = agent.AppletData;
    const bool replace = !model::trimControl(applet.InternalUse_RootDir_Remote).empty() &&
                         !model::trimControl(applet.InternalUse_RootDir_Local).empty();
    const bool localChosen = applet.InternalUse_RootDir_Local_Checked == "1";
    const std::string& from = localChosen ? applet.InternalUse_RootDir_Remote : applet.InternalUse_RootDir_Local;
    const std::string& to = localChosen ? applet.InternalUse_RootDir_Local : applet.InternalUse_RootDir_Remote;
    for (std::size_t n = 0; n < agent.Items.size(); ++n) {
        model::TItemData& item = agent.Items[n];
        item.Level = std::to_string(outline.depth(static_cast<int>(n) + 1) - 1);
        if (replace)
            item.Link = replacePrefix(item.Link, from, to);
    }
}

void BuildGallery(model::TAppletAgent& agent, model::Outline& outline, const std::filesystem::path& pagePath,
                  model::ProgressReporter& progress)
{
    // The gallery name becomes a file name: it is checked before anything is written.
    model::checkGalleryName(agent.AppletData.pScriptName);
    model::ProgressScope scope(progress, "Making HTML Codes ... ...");
    ProcessItemImages(agent, outline, progress);
    forgetForeignPictureNames(agent);
    PrepareItemLinks(agent, outline);

    // The player's height is parsed before any file of this step is written.
    model::parseInteger(agent.AppletData.largeImageHeight);
    model::parseInteger(agent.AppletData.thumbImageHeight);
    agent.LinkedFiles[3].FileName = ConfigFileName(agent.AppletData);

    const std::filesystem::path config = WriteFlashConfig(agent, platform::GetTempFolder());
    gallery::StageFile(agent, config);
    platform::deleteFile(config);

    WriteEmbeddingPage(agent, pagePath);
}

}  // namespace pictavo::gallery
