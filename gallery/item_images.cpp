#include "gallery/item_images.h"

#include "pictures/picture_cache.h"
#include "pictures/picture_maker.h"
#include "pictures/picture_pipeline.h"
#include "model/value_encodings.h"
#include "platform/file_ops.h"
#include "platform/user_error.h"
#include "gallery/staging.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

namespace pictavo::gallery {

using pictures::Box;
using pictures::ItemPicture;
using pictures::MadePicture;
using pictures::PictureCache;
using pictures::PictureJob;
using pictures::PicturePipeline;

namespace {

struct Pass {
    const char* hint;
    const char* suffix;
    std::string model::TAppletData::*width;
    std::string model::TAppletData::*height;
    std::string model::TItemData::*name;
    const char* boxName;
};

const Pass thumbnailPass{"Processing images ...", "_t", &model::TAppletData::thumbImageWidth,
                         &model::TAppletData::thumbImageHeight, &model::TItemData::ThumbImageName, "thumbnail"};
const Pass largePass{"Processing large images ...", "_l", &model::TAppletData::largeImageWidth,
                     &model::TAppletData::largeImageHeight, &model::TItemData::LargeImageName, "large image"};

// The box as a pass will find it, or nothing when the pass will refuse it.
std::optional<Box> boxOf(const model::TAppletData& applet, const Pass& pass)
{
    try {
        const Box box{model::parseInteger(applet.*pass.width), model::parseInteger(applet.*pass.height)};
        if (box.width > 0 && box.height > 0)
            return box;
    } catch (const platform::UserError&) {
    }
    return std::nullopt;
}

std::shared_ptr<const PictureCache> openCache()
{
    const std::optional<std::filesystem::path> folder = pictures::userCacheFolder();
    return folder ? std::make_shared<const PictureCache>(*folder) : nullptr;
}

// "item <N>: ", N counting from 0 as the picture names do.
std::string itemText(std::size_t n) { return "item " + std::to_string(n) + ": "; }

// The pass's picture of one item. Every observable step happens here, in item
// order: the caption, the size check, the failure of this item's original,
// the temp file, its staging and deletion, the warnings, the progress step.
// The thumbnail pass gives the warnings, each once.
void runPass(const Pass& pass, model::TAppletAgent& agent, model::Outline& outline,
             model::ProgressReporter& progress, PicturePipeline* pipeline)
{
    progress.setMaximum(outline.nodeCount());
    model::ProgressScope scope(progress, pass.hint);
    for (std::size_t n = 0; n < agent.Items.size(); ++n) {
        const int node = static_cast<int>(n) + 1;
        const bool thumbnails = &pass == &thumbnailPass;
        const std::string original = model::trimControl(agent.Items[n].OriginalImagePath);
        if (!platform::fileExists(original)) {
            outline.setCaption(node, std::string(MissingOriginalCaption));
            if (thumbnails)
                progress.warning(itemText(n) + (original.empty() ? std::string("no original picture chosen")
                                                                 : "original picture not found: " +
                                                                       agent.Items[n].OriginalImagePath));
            continue;
        }
        outline.setCaption(node, model::fileNamePart(original));
        const int width = model::parseInteger(agent.AppletData.*pass.width);
        const int height = model::parseInteger(agent.AppletData.*pass.height);
        // A box without area gives no usable picture.
        if (width <= 0 || height <= 0)
            throw platform::UserError("The " + std::string(pass.boxName) + " size " + std::to_string(width) +
                                      " x " + std::to_string(height) +
                                      " has no area: width and height must be at least 1 pixel.");
        const PictureJob job{static_cast<int>(n), original};
        const ItemPicture picture =
            thumbnails ? pipeline->thumbnail(job, progress) : ItemPicture{pipeline->large(job), ""};
        const MadePicture made =
            pictures::writeTempPicture("p" + std::to_string(n) + pass.suffix, pictures::pictureFormatOf(original),
                                       picture.picture);
        agent.Items[n].*pass.name = made.fileName;
        gallery::StageFile(agent, made.tempPath);
        platform::deleteFile(made.tempPath);
        if (!picture.warning.empty())
            progress.warning(itemText(n) + picture.warning);
        progress.advance(1);
    }
}

}  // namespace

int pictureWorkers()
{
    const char* text = std::getenv("PICTAVO_WORKERS");
    if (!text || !*text)
        return 2;
    try {
        return std::clamp(model::parseInteger(text), 0, 16);
    } catch (const platform::UserError&) {
        return 2;
    }
}

void ProcessItemImages(model::TAppletAgent& agent, model::Outline& outline, model::ProgressReporter& progress)
{
    std::vector<PictureJob> jobs;
    for (std::size_t n = 0; n < agent.Items.size(); ++n) {
        const std::string original = model::trimControl(agent.Items[n].OriginalImagePath);
        if (platform::fileExists(original))
            jobs.push_back(PictureJob{static_cast<int>(n), original});
    }
    const std::optional<Box> thumbnail = boxOf(agent.AppletData, thumbnailPass);
    const std::shared_ptr<const PictureCache> cache = openCache();
    std::unique_ptr<PicturePipeline> pipeline;
    if (thumbnail)
        pipeline = std::make_unique<PicturePipeline>(std::move(jobs), *thumbnail, boxOf(agent.AppletData, largePass),
                                                     cache, pictureWorkers());
    runPass(thumbnailPass, agent, outline, progress, pipeline.get());
    runPass(largePass, agent, outline, progress, pipeline.get());
    if (cache)
        cache->trim();
}

}  // namespace pictavo::gallery
