#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pictavo::model {

// The gallery-wide parameters. Every value is text, whatever it stands for;
// the project file and the command-line tool address fields by their 1-based
// position and by name.
struct TAppletData {
    std::string pScriptName;
    std::string enableAutoPlay;
    std::string autoPlayDelay;
    std::string thumbImageWidth;
    std::string thumbImageHeight;
    std::string largeImageWidth;
    std::string largeImageHeight;
    std::string thumbImagesX;
    std::string thumbImagesY;
    std::string thumbImagesHorizontalPadding;
    std::string thumbImageShadowAlpha;
    std::string playButtonX;
    std::string playButtonY;
    std::string playButtonVisible;
    std::string prevButtonX;
    std::string prevButtonY;
    std::string prevButtonVisible;
    std::string nextButtonX;
    std::string nextButtonY;
    std::string nextButtonVisible;
    std::string focusedBoxBorderWidth;
    std::string focusedBoxBorderColor;
    std::string focusedBoxBorderAlpha;
    std::string showDescriptionBox;
    std::string descriptionBoxX;
    std::string descriptionBoxY;
    std::string descriptionBoxHeight;
    std::string showThumbImageTooltip;
    std::string thumbImageTooltipX;
    std::string thumbImageTooltipY;
    std::string thumbImagesBarWidth;
    std::string imageTitleFontColor;
    std::string imageTitleFontSize;
    std::string imageTooltipFontColor;
    std::string imageTooltipFontSize;
    std::string imageDescFontColor;
    std::string imageDescFontSize;
    std::string pPreviewBgColor;
    std::string pImageLeadingPathEnabled;
    std::string pImageLeadingPath;
    std::string InternalUse_RootDir_Local;
    std::string InternalUse_RootDir_Remote;
    std::string InternalUse_RootDir_Local_Checked;

    static constexpr int FieldCount = 43;

    // Positions count from 1; a position outside 1..FieldCount is a caller's fault.
    std::string& field(int position);
    const std::string& field(int position) const;
    static std::string_view fieldName(int position);
    // The value a new project holds in that field.
    static std::string_view defaultValue(int position);
    // 0 when no field has that name (compared exactly).
    static int fieldPosition(std::string_view name);

    bool operator==(const TAppletData& other) const;
    bool operator!=(const TAppletData& other) const { return !(*this == other); }
};

// One gallery item.
struct TItemData {
    std::string ThumbImageName;
    std::string LargeImageName;
    std::string OriginalImagePath;
    std::string Link;
    std::string Target;
    std::string ToolTip;
    std::string Description;
    std::string Level;
    std::string Reserved;

    static constexpr int FieldCount = 9;

    std::string& field(int position);
    const std::string& field(int position) const;
    static std::string_view fieldName(int position);
    static int fieldPosition(std::string_view name);

    bool operator==(const TItemData& other) const;
    bool operator!=(const TItemData& other) const { return !(*this == other); }
};

// A file every published gallery needs: copied from the program's folder, or
// generated for each gallery.
struct TLinkedFileInfo {
    std::string FileName;
    std::string Kind;
    bool Generated = false;
};

using TStringArray = std::vector<std::string>;
using TItemArray = std::vector<TItemData>;
using TLinkedFileInfoArray = std::vector<TLinkedFileInfo>;

}  // namespace pictavo::model
