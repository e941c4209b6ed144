#pragma once

#include "model/applet_agent.h"

#include <filesystem>
#include <string>

namespace pictavo::test {

// A new item showing the picture at that path, at that outline level.
inline model::TItemData itemWithOriginal(const std::filesystem::path& original, const std::string& level = "0")
{
    model::TItemData item = model::TAppletAgent::NewItemData();
    item.OriginalImagePath = original.string();
    item.Level = level;
    return item;
}

}  // namespace pictavo::test
