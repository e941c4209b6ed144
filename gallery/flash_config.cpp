#include "gallery/flash_config.h"

#include "model/file_names.h"
#include "model/text_encoding.h"
#include "model/value_encodings.h"
#include "platform/file_writer.h"

#include <array>
#include <pugixml.hpp>

namespace pictavo::gallery {

namespace {

using model::TAppletData;

enum class Rule {
    Field,       // the field as stored
    ColorField,  // "0x" and the field as stored
    Zero,        // always "0"
    DescriptionBoxY,
};

struct Parameter {
    const char* name;
    Rule rule;
    std::string TAppletData::*field;
};

// The player's parameters in file order. The thumbnail bar lies directly under
// the large image and spans its width; the description box starts at x 0.
const std::array<Parameter, 36> parameters{{
    {"enableAutoPlay", Rule::Field, &TAppletData::enableAutoPlay},
    {"autoPlayDelay", Rule::Field, &TAppletData::autoPlayDelay},
    {"thumbImageWidth", Rule::Field, &TAppletData::thumbImageWidth},
    {"thumbImageHeight", Rule::Field, &TAppletData::thumbImageHeight},
    {"largeImageWidth", Rule::Field, &TAppletData::largeImageWidth},
    {"largeImageHeight", Rule::Field, &TAppletData::largeImageHeight},
    {"thumbImagesX", Rule::Zero, nullptr},
    {"thumbImagesY", Rule::Field, &TAppletData::largeImageHeight},
    {"thumbImagesHorizontalPadding", Rule::Field, &TAppletData::thumbImagesHorizontalPadding},
    {"thumbImageShadowAlpha", Rule::Field, &TAppletData::thumbImageShadowAlpha},
    {"playButtonX", Rule::Field, &TAppletData::playButtonX},
    {"playButtonY", Rule::Field, &TAppletData::playButtonY},
    {"playButtonVisible", Rule::Field, &TAppletData::playButtonVisible},
    {"prevButtonX", Rule::Field, &TAppletData::prevButtonX},
    {"prevButtonY", Rule::Field, &TAppletData::prevButtonY},
    {"prevButtonVisible", Rule::Field, &TAppletData::prevButtonVisible},
    {"nextButtonX", Rule::Field, &TAppletData::nextButtonX},
    {"nextButtonY", Rule::Field, &TAppletData::nextButtonY},
    {"nextButtonVisible", Rule::Field, &TAppletData::nextButtonVisible},
    {"focusedBoxBorderWidth", Rule::Field, &TAppletData::focusedBoxBorderWidth},
    {"focusedBoxBorderColor", Rule::ColorField, &TAppletData::focusedBoxBorderColor},
    {"focusedBoxBorderAlpha", Rule::Field, &TAppletData::focusedBoxBorderAlpha},
    {"showDescriptionBox", Rule::Field, &TAppletData::showDescriptionBox},
    {"descriptionBoxX", Rule::Zero, nullptr},
    {"descriptionBoxY", Rule::DescriptionBoxY, nullptr},
    {"descriptionBoxHeight", Rule::Field, &TAppletData::descriptionBoxHeight},
    {"showThumbImageTooltip", Rule::Field, &TAppletData::showThumbImageTooltip},
    {"thumbImageTooltipX", Rule::Field, &TAppletData::thumbImageTooltipX},
    {"thumbImageTooltipY", Rule::Field, &TAppletData::thumbImageTooltipY},
    {"thumbImagesBarWidth", Rule::Field, &TAppletData::largeImageWidth},
    {"imageTitleFontColor", Rule::ColorField, &TAppletData::imageTitleFontColor},
    {"imageTitleFontSize", Rule::Field, &TAppletData::imageTitleFontSize},
    {"imageTooltipFontColor", Rule::ColorField, &TAppletData::imageTooltipFontColor},
    {"imageTooltipFontSize", Rule::Field, &TAppletData::imageTooltipFontSize},
    {"imageDescFontColor", Rule::ColorField, &TAppletData::imageDescFontColor},
    {"imageDescFontSize", Rule::Field, &TAppletData::imageDescFontSize},
}};

// Project text as the configuration holds it: Unicode, without the control
// characters XML 1.0 forbids (all below 32 but tab, LF and CR) and without
// U+FFFE and U+FFFF, so that the file always parses.
std::string xmlText(std::string_view projectText)
{
    const std::string utf8 = model::projectTextToUtf8(projectText);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            continue;
        if (c == 0xEF && i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(utf8[i + 2]) & 0xFE) == 0xBE) {
            i += 2;
            continue;
        }
        out += utf8[i];
    }
    return out;
}

void appendWhitespace(pugi::xml_node parent, const char* text)
{
    parent.append_child(pugi::node_pcdata).set_value(text);
}

// Lines of the configuration end in CR LF, inside CDATA text too.
class CrLfText : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override
    {
        const auto* bytes = static_cast<const char*>(data);
        for (size_t i = 0; i < size; ++i) {
            if (bytes[i] == '\n')
                text += '\r';
            text += bytes[i];
        }
    }
    std::string text;
};

}  // namespace

std::string GalleryId(const TAppletData& applet) { return model::galleryIdOf(applet.pScriptName); }

std::string ConfigFileName(const TAppletData& applet) { return GalleryId(applet) + "config.xml"; }

std::string imageReference(const TAppletData& applet, const std::string& name)
{
    return applet.pImageLeadingPathEnabled == "1" ? applet.pImageLeadingPath + name : name;
}

std::filesystem::path WriteFlashConfig(const model::TAppletAgent& agent,
                                       const std::filesystem::path& folder)
{
    const TAppletData& applet = agent.AppletData;
    const long long descriptionBoxY = static_cast<long long>(model::parseInteger(applet.largeImageHeight)) -
                                      model::parseInteger(applet.descriptionBoxHeight) - 33;

    pugi::xml_document document;
    pugi::xml_node root = document.append_child("tvimagegallery");
    for (const Parameter& parameter : parameters) {
        std::string value;
        switch (parameter.rule) {
        case Rule::Field:
            value = applet.*parameter.field;
            break;
        case Rule::ColorField:
            value = "0x" + applet.*parameter.field;
            break;
        case Rule::Zero:
            value = "0";
            break;
        case Rule::DescriptionBoxY:
            value = std::to_string(descriptionBoxY);
            break;
        }
        appendWhitespace(root, "\n  ");
        pugi::xml_node element = root.append_child("item");
        element.append_attribute("param").set_value(parameter.name);
        element.append_attribute("value").set_value(xmlText(value).c_str());
    }

    for (const model::TItemData& item : agent.Items) {
        appendWhitespace(root, "\n  ");
        pugi::xml_node element = root.append_child("item");
        element.append_attribute("thumbimage").set_value(xmlText(imageReference(applet, item.ThumbImageName)).c_str());
        element.append_attribute("largeimage").set_value(xmlText(imageReference(applet, item.LargeImageName)).c_str());
        element.append_attribute("title").set_value(xmlText(item.ToolTip).c_str());
        element.append_attribute("url").set_value(xmlText(item.Link).c_str());
        element.append_attribute("target").set_value(xmlText(item.Target).c_str());
        appendWhitespace(element, "\n    ");
        // pugixml splits a text holding "]]>" across two CDATA sections.
        const std::string description =
            model::trimControl(item.Description).empty() ? std::string("&nbsp;") : xmlText(item.Description);
        element.append_child(pugi::node_cdata).set_value(description.c_str());
        appendWhitespace(element, "\n  ");
    }
    appendWhitespace(root, "\n");

    CrLfText out;
    document.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    out.write("\n", 1);

    const std::filesystem::path path = folder / ConfigFileName(applet);
    platform::writeWholeFile(path, out.text);
    return path;
}

}  // namespace pictavo::gallery
