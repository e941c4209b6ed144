#include "model/applet_agent.h"

#include <utility>

namespace pictavo::model {

TAppletAgent::TAppletAgent()
    : LinkedFiles{
          {"imagegallery.swf", "swf", false},
          {"expressinstall.swf", "swf", false},
          {"swfobject.js", "js", false},
          {"my_flash_config.xml", "xml", true},
      }
{
}

void TAppletAgent::ResetToDefaults()
{
    for (int position = 1; position <= TAppletData::FieldCount; ++position)
        AppletData.field(position) = TAppletData::defaultValue(position);
    Items.clear();
}

void startNewProject(TAppletAgent& agent, Outline& outline)
{
    agent.ResetToDefaults();
    outline.reset();
}

TItemData TAppletAgent::GetItem(int index) const { return Items.at(static_cast<std::size_t>(index)); }

void TAppletAgent::SetItem(int index, const TItemData& item)
{
    Items.at(static_cast<std::size_t>(index)) = item;
}

TItemData TAppletAgent::NewItemData()
{
    TItemData item;
    item.Target = "_self";
    return item;
}

void TAppletAgent::InsertItem(int index, const TItemData& item)
{
    if (Items.empty()) {
        Items.push_back(item);
        return;
    }
    if (index < 0 || index > itemCount())
        return;
    Items.insert(Items.begin() + index, item);
}

void TAppletAgent::DeleteItem(int index)
{
    if (index < 0 || index >= itemCount())
        return;
    Items.erase(Items.begin() + index);
}

void TAppletAgent::MoveItemUp(int index)
{
    if (index <= 0 || index >= itemCount())
        return;
    std::swap(Items[static_cast<std::size_t>(index)], Items[static_cast<std::size_t>(index - 1)]);
}

}  // namespace pictavo::model
