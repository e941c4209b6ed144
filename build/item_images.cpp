#include "build/item_images.h"

#include "build/picture_maker.h"
#include "model/value_encodings.h"
#include "platform/file_ops.h"
#include "platform/user_error.h"
#include "publish/staging.h"

namespace pictavo::build {

namespace {

struct Pass {
    const char* hint;
    const char* suffix;
    std::string model::TAppletData::*width;
    std::string model::TAppletData::*height;
    std::string model::TItemData::*name;
    const char* boxName;
};

const Pass passes[] = {
    {"Processing images ...", "_t", &model::TAppletData::thumbImageWidth, &model::TAppletData::thumbImageHeight,
     &model::TItemData::ThumbImageName, "thumbnail"},
    {"Processing large images ...", "_l", &model::TAppletData::largeImageWidth,
     &model::TAppletData::largeImageHeight, &model::TItemData::LargeImageName, "large image"},
};

void runPass(const Pass& pass, model::TAppletAgent& agent, model::Outline& outline,
             model::ProgressReporter& progress)
{
    progress.setMaximum(outline.nodeCount());
    model::ProgressScope scope(progress, pass.hint);
    for (std::size_t n = 0; n < agent.Items.size(); ++n) {
        const int node = static_cast<int>(n) + 1;
        const std::string original = model::trimControl(agent.Items[n].OriginalImagePath);
        if (!platform::fileExists(original)) {
            outline.setCaption(node, std::string(MissingOriginalCaption));
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
        const MadePicture made = MakeBoxImage(original, "p" + std::to_string(n) + pass.suffix, width, height);
        agent.Items[n].*pass.name = made.fileName;
        publish::StageFile(agent, made.tempPath);
        platform::deleteFile(made.tempPath);
        progress.advance(1);
    }
}

}  // namespace

void ProcessItemImages(model::TAppletAgent& agent, model::Outline& outline, model::ProgressReporter& progress)
{
    for (const Pass& pass : passes)
        runPass(pass, agent, outline, progress);
}

}  // namespace pictavo::build
