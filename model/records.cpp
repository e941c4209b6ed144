#include "model/records.h"

#include <array>
#include <stdexcept>

namespace pictavo::model {

namespace {

struct AppletField {
    std::string_view name;
    std::string TAppletData::*member;
    std::string_view defaultValue;
};

// Field order is the order of the project file's gallery line.
const std::array<AppletField, TAppletData::FieldCount> appletFields{{
    {"pScriptName", &TAppletData::pScriptName, "gallery1"},
    {"enableAutoPlay", &TAppletData::enableAutoPlay, "1"},
    {"autoPlayDelay", &TAppletData::autoPlayDelay, "5"},
    {"thumbImageWidth", &TAppletData::thumbImageWidth, "133"},
    {"thumbImageHeight", &TAppletData::thumbImageHeight, "75"},
    {"largeImageWidth", &TAppletData::largeImageWidth, "667"},
    {"largeImageHeight", &TAppletData::largeImageHeight, "375"},
    {"thumbImagesX", &TAppletData::thumbImagesX, "0"},
    {"thumbImagesY", &TAppletData::thumbImagesY, "380"},
    {"thumbImagesHorizontalPadding", &TAppletData::thumbImagesHorizontalPadding, "0"},
    {"thumbImageShadowAlpha", &TAppletData::thumbImageShadowAlpha, "30"},
    {"playButtonX", &TAppletData::playButtonX, "3"},
    {"playButtonY", &TAppletData::playButtonY, "2"},
    {"playButtonVisible", &TAppletData::playButtonVisible, "1"},
    {"prevButtonX", &TAppletData::prevButtonX, "27"},
    {"prevButtonY", &TAppletData::prevButtonY, "2"},
    {"prevButtonVisible", &TAppletData::prevButtonVisible, "1"},
    {"nextButtonX", &TAppletData::nextButtonX, "51"},
    {"nextButtonY", &TAppletData::nextButtonY, "2"},
    {"nextButtonVisible", &TAppletData::nextButtonVisible, "1"},
    {"focusedBoxBorderWidth", &TAppletData::focusedBoxBorderWidth, "3"},
    {"focusedBoxBorderColor", &TAppletData::focusedBoxBorderColor, "FFFF00"},
    {"focusedBoxBorderAlpha", &TAppletData::focusedBoxBorderAlpha, "80"},
    {"showDescriptionBox", &TAppletData::showDescriptionBox, "0"},
    {"descriptionBoxX", &TAppletData::descriptionBoxX, "0"},
    {"descriptionBoxY", &TAppletData::descriptionBoxY, "267"},
    {"descriptionBoxHeight", &TAppletData::descriptionBoxHeight, "75"},
    {"showThumbImageTooltip", &TAppletData::showThumbImageTooltip, "0"},
    {"thumbImageTooltipX", &TAppletData::thumbImageTooltipX, "10"},
    {"thumbImageTooltipY", &TAppletData::thumbImageTooltipY, "4"},
    {"thumbImagesBarWidth", &TAppletData::thumbImagesBarWidth, "667"},
    {"imageTitleFontColor", &TAppletData::imageTitleFontColor, "FFFF00"},
    {"imageTitleFontSize", &TAppletData::imageTitleFontSize, "20"},
    {"imageTooltipFontColor", &TAppletData::imageTooltipFontColor, "FFFFFF"},
    {"imageTooltipFontSize", &TAppletData::imageTooltipFontSize, "10"},
    {"imageDescFontColor", &TAppletData::imageDescFontColor, "C0C0C0"},
    {"imageDescFontSize", &TAppletData::imageDescFontSize, "10"},
    {"pPreviewBgColor", &TAppletData::pPreviewBgColor, "000000"},
    {"pImageLeadingPathEnabled", &TAppletData::pImageLeadingPathEnabled, "0"},
    {"pImageLeadingPath", &TAppletData::pImageLeadingPath, ""},
    {"InternalUse_RootDir_Local", &TAppletData::InternalUse_RootDir_Local, ""},
    {"InternalUse_RootDir_Remote", &TAppletData::InternalUse_RootDir_Remote, ""},
    {"InternalUse_RootDir_Local_Checked", &TAppletData::InternalUse_RootDir_Local_Checked, "1"},
}};

struct ItemField {
    std::string_view name;
    std::string TItemData::*member;
};

const std::array<ItemField, TItemData::FieldCount> itemFields{{
    {"ThumbImageName", &TItemData::ThumbImageName},
    {"LargeImageName", &TItemData::LargeImageName},
    {"OriginalImagePath", &TItemData::OriginalImagePath},
    {"Link", &TItemData::Link},
    {"Target", &TItemData::Target},
    {"ToolTip", &TItemData::ToolTip},
    {"Description", &TItemData::Description},
    {"Level", &TItemData::Level},
    {"Reserved", &TItemData::Reserved},
}};

template <typename Table>
const auto& entry(const Table& table, int position)
{
    if (position < 1 || position > static_cast<int>(table.size()))
        throw std::out_of_range("field position " + std::to_string(position));
    return table[static_cast<std::size_t>(position - 1)];
}

template <typename Table>
int positionOf(const Table& table, std::string_view name)
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].name == name)
            return static_cast<int>(i) + 1;
    return 0;
}

template <typename Record, typename Table>
bool allFieldsEqual(const Record& a, const Record& b, const Table& table)
{
    for (const auto& f : table)
        if (a.*f.member != b.*f.member)
            return false;
    return true;
}

}  // namespace

std::string& TAppletData::field(int position) { return this->*entry(appletFields, position).member; }
const std::string& TAppletData::field(int position) const
{
    return this->*entry(appletFields, position).member;
}
std::string_view TAppletData::fieldName(int position) { return entry(appletFields, position).name; }
std::string_view TAppletData::defaultValue(int position)
{
    return entry(appletFields, position).defaultValue;
}
int TAppletData::fieldPosition(std::string_view name) { return positionOf(appletFields, name); }
bool TAppletData::operator==(const TAppletData& other) const
{
    return allFieldsEqual(*this, other, appletFields);
}

std::string& TItemData::field(int position) { return this->*entry(itemFields, position).member; }
const std::string& TItemData::field(int position) const
{
    return this->*entry(itemFields, position).member;
}
std::string_view TItemData::fieldName(int position) { return entry(itemFields, position).name; }
int TItemData::fieldPosition(std::string_view name) { return positionOf(itemFields, name); }
bool TItemData::operator==(const TItemData& other) const
{
    return allFieldsEqual(*this, other, itemFields);
}

}  // namespace pictavo::model
