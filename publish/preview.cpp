#include "publish/preview.h"

#include "gallery/build_driver.h"
#include "platform/file_ops.h"
#include "platform/folders.h"
#include "platform/user_error.h"
#include "gallery/staging.h"

namespace pictavo::publish {

std::filesystem::path BuildPreview(model::TAppletAgent& agent, model::Outline& outline,
                                   model::ProgressReporter& progress)
{
    if (outline.nodeCount() <= 1)
        throw platform::UserError(std::string(NoItemToBuildMessage));
    const std::filesystem::path page = platform::GetTempFolder() / "~preview.html";
    gallery::BuildGallery(agent, outline, page, progress);
    const std::filesystem::path program = platform::GetProgramFolder();
    gallery::StageRequiredFiles(agent, program);
    gallery::StageResourceFiles(program, progress);
    gallery::StageFile(agent, page);
    platform::deleteFile(page);
    return platform::GetPreviewFolder() / "~preview.html";
}

}  // namespace pictavo::publish
