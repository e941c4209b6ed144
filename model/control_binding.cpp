#include "model/control_binding.h"

#include "model/applet_agent.h"
#include "model/file_names.h"
#include "model/value_encodings.h"
#include "platform/user_error.h"

#include <cctype>

namespace pictavo::model {

namespace {

constexpr int Limit = 9999;

FieldBinding integer(int field, std::string_view control, int minimum, int maximum)
{
    return FieldBinding{field, control, ValueKind::Integer, minimum, maximum};
}

FieldBinding plain(int field, std::string_view control, ValueKind kind)
{
    return FieldBinding{field, control, kind, 0, 0};
}

const FieldBinding* find(const std::vector<FieldBinding>& bindings, int field)
{
    for (const FieldBinding& binding : bindings)
        if (binding.field == field)
            return &binding;
    return nullptr;
}

[[noreturn]] void refuse(std::string_view fieldName, const std::string& accepts, std::string_view value)
{
    throw platform::UserError(std::string(fieldName) + " accepts " + accepts + ", not '" + std::string(value) + "'");
}

}  // namespace

const std::vector<FieldBinding>& galleryBindings()
{
    static const std::vector<FieldBinding> bindings{
        plain(1, "edt_pScriptName", ValueKind::Text),
        plain(2, "ckbx_enableAutoPlay", ValueKind::Switch),
        integer(3, "spnedt_autoPlayDelay", 0, Limit),
        integer(4, "spnedt_thumbImageWidth", 0, Limit),
        integer(5, "spnedt_thumbImageHeight", 0, Limit),
        integer(6, "spnedt_largeImageWidth", 0, Limit),
        integer(7, "spnedt_largeImageHeight", 0, Limit),
        integer(10, "spnedt_thumbImagesHorizontalPadding", 0, Limit),
        integer(11, "spnedt_thumbImageShadowAlpha", 0, Limit),
        integer(12, "spnedt_playButtonX", -Limit, Limit),
        integer(13, "spnedt_playButtonY", -Limit, Limit),
        plain(14, "ckbx_playButtonVisible", ValueKind::Switch),
        integer(15, "spnedt_prevButtonX", -Limit, Limit),
        integer(16, "spnedt_prevButtonY", -Limit, Limit),
        plain(17, "ckbx_prevButtonVisible", ValueKind::Switch),
        integer(18, "spnedt_nextButtonX", -Limit, Limit),
        integer(19, "spnedt_nextButtonY", -Limit, Limit),
        plain(20, "ckbx_nextButtonVisible", ValueKind::Switch),
        integer(21, "spnedt_focusedBoxBorderWidth", 0, Limit),
        plain(22, "pnl_focusedBoxBorderColor", ValueKind::Colour),
        integer(23, "spnedt_focusedBoxBorderAlpha", 0, 100),
        plain(24, "ckbx_showDescriptionBox", ValueKind::Switch),
        integer(27, "spnedt_descriptionBoxHeight", 0, Limit),
        plain(28, "ckbx_showThumbImageTooltip", ValueKind::Switch),
        integer(29, "spnedt_thumbImageTooltipX", -Limit, Limit),
        integer(30, "spnedt_thumbImageTooltipY", -Limit, Limit),
        plain(32, "pnl_imageTitleFontColor", ValueKind::Colour),
        integer(33, "spnedt_imageTitleFontSize", 1, Limit),
        plain(34, "pnl_imageTooltipFontColor", ValueKind::Colour),
        integer(35, "spnedt_imageTooltipFontSize", 1, Limit),
        plain(36, "pnl_imageDescFontColor", ValueKind::Colour),
        integer(37, "spnedt_imageDescFontSize", 1, Limit),
        plain(38, "pnl_pPreviewBgColor", ValueKind::Colour),
        plain(39, "ckbx__pImageLeadingPathEnabled", ValueKind::Switch),
        plain(40, "edt__pImageLeadingPath", ValueKind::Text),
        plain(41, "edt__InternalUse_RootDir_Local", ValueKind::Text),
        plain(42, "edt__InternalUse_RootDir_Remote", ValueKind::Text),
        plain(43, "rdbtn__InternalUse_RootDir_Local_Checked", ValueKind::Option),
    };
    return bindings;
}

const std::vector<FieldBinding>& itemBindings()
{
    static const std::vector<FieldBinding> bindings{
        plain(3, "edtOriginalImagePath", ValueKind::Text),
        plain(4, "cmbx_ILink", ValueKind::ChoiceText),
        plain(5, "cmbx_ITarget", ValueKind::ChoiceText),
        plain(6, "edt_IToolTip", ValueKind::Text),
        plain(7, "edt_IDesription", ValueKind::Text),
    };
    return bindings;
}

const FieldBinding* galleryBinding(int field) { return find(galleryBindings(), field); }

const FieldBinding* itemBinding(int field) { return find(itemBindings(), field); }

std::string acceptValue(const FieldBinding& binding, std::string_view fieldName, std::string_view value)
{
    switch (binding.kind) {
    case ValueKind::Integer: {
        const std::string range = "an integer from " + std::to_string(binding.minimum) + " to " +
                                  std::to_string(binding.maximum);
        int number = 0;
        try {
            number = parseInteger(value);
        } catch (const platform::UserError&) {
            refuse(fieldName, range, value);
        }
        if (number < binding.minimum || number > binding.maximum)
            refuse(fieldName, range, value);
        return std::to_string(number);
    }
    case ValueKind::Switch:
    case ValueKind::Option:
        if (value != "1" && value != "0")
            refuse(fieldName, "1 (on) or 0 (off)", value);
        return std::string(value);
    case ValueKind::Colour: {
        bool hex = value.size() == 6;
        for (char c : value)
            hex = hex && std::isxdigit(static_cast<unsigned char>(c));
        if (!hex)
            refuse(fieldName, "a colour of six hexadecimal digits RRGGBB", value);
        std::string upper(value);
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return upper;
    }
    case ValueKind::Text:
    case ValueKind::ChoiceText:
        break;
    }
    if (value.find_first_of("\r\n") != std::string_view::npos ||
        value.find(TAppletAgent::FieldSeparator) != std::string_view::npos)
        refuse(fieldName, "a single line of text without \"#$@\"", value);
    std::string text = trimControl(value);
    // The gallery name becomes a file name.
    if (binding.control == "edt_pScriptName")
        checkGalleryName(text);
    return text;
}

}  // namespace pictavo::model
