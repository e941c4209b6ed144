#include "build/embedding_page.h"

#include "build/flash_config.h"
#include "model/product.h"
#include "model/value_encodings.h"
#include "platform/ascii.h"
#include "platform/file_writer.h"

#include <cstdio>

namespace pictavo::build {

namespace {

std::string comment(std::string_view text) { return "<!-- " + std::string(text) + " -->"; }

}  // namespace

std::string htmlAttribute(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string javaScriptString(std::string_view text)
{
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"' || c == '\'') {
            out += '\\';
            out += c;
        } else if (c == '<' || c == '>' || byte < 0x20) {
            // "\x3C" keeps a value from closing the script element early.
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

void WriteEmbeddingPage(const model::TAppletAgent& agent, const std::filesystem::path& pagePath)
{
    const model::TAppletData& applet = agent.AppletData;
    const std::string height = std::to_string(static_cast<long long>(model::parseInteger(applet.largeImageHeight)) +
                                              model::parseInteger(applet.thumbImageHeight));
    const std::string firstLarge = agent.Items.empty() ? "" : imageReference(applet, agent.Items[0].LargeImageName);

    // Each value escaped for where it stands; ordinary values stay as they are.
    const std::string idAttribute = htmlAttribute(GalleryId(applet));
    const std::string widthAttribute = htmlAttribute(applet.largeImageWidth);
    const std::string idScript = javaScriptString(GalleryId(applet));
    const std::string widthScript = javaScriptString(applet.largeImageWidth);
    const std::string configScript = javaScriptString(ConfigFileName(applet));
    const std::string notice = comment(model::MakerNotice);

    platform::FileWriter page(pagePath);
    auto line = [&page](const std::string& text) { page.writeLine(text); };
    line("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" \"http://www.w3.org/TR/html4/loose.dtd\">");
    line("<!-- saved from url=(0013)about:internet -->");
    line("<html lang=\"en\">");
    line("<head>");
    line("<title>Preview</title>");
    line("");
    line("<!-- Pictavo 1.0 -->");
    line(notice);
    line("<!-- Please insert the following codes into <head> section of the Web pages. -->");
    line("<!-- START COPYING FROM HERE -->");
    for (const model::TLinkedFileInfo& file : agent.LinkedFiles)
        if (platform::lowerCase(file.Kind) == "css")
            line("<LINK href=\"./" + htmlAttribute(file.FileName) + "\" type=\"text/css\" rel=\"stylesheet\" />");
    for (const model::TLinkedFileInfo& file : agent.LinkedFiles)
        if (platform::lowerCase(file.Kind) == "js")
            line("<SCRIPT language=\"javascript\" type=\"text/javascript\" src=\"./" + htmlAttribute(file.FileName) +
                 "\"></SCRIPT>");
    line("<!-- END OF COPYING -->");
    line("");
    line("</head>");
    line("");
    line("<body bgcolor=\"#" + htmlAttribute(applet.pPreviewBgColor) + "\">");
    line("");
    line("<!-- Please insert the following codes into <body> section of the Web pages where you want to include the "
         "flash! -->");
    line("<!-- START COPYING FROM HERE -->");
    line("");
    line("<!-- Pictavo 1.0 -->");
    line(notice);
    line(comment("Product page: " + std::string(model::ProductPageAddress)));
    line(comment("Support: " + std::string(model::SupportPageAddress)));
    line("<div>");
    line("\t\t<noscript><p>JavaScript is disabled in this browser!</p></noscript>");
    line("\t\t<div id=\"" + idAttribute + "_img_alt\"><img src=\"" + htmlAttribute(firstLarge) + "\" width=\"" +
         widthAttribute + "\" height=\"" + height + "\" border=\"0\" /></div>");
    line("\t\t<script type=\"text/javascript\">");
    line("\t\t\t\tvar flashvars = { width: \"" + widthScript + "\", height: \"" + height + "\", xmlPath: \"" +
         configScript + "\" };");
    line("\t\t\t\tvar params = { bgcolor: \"FFFFFF\" };");
    line("\t\t\t\tvar attributes = { id: \"" + idScript + "\" };");
    line("\t\t\t\tswfobject.embedSWF(\"./imagegallery.swf\", \"" + idScript + "_img_alt\", \"" + widthScript +
         "\", \"" + height + "\", \"9.0.0\", \"./expressinstall.swf\", flashvars, params, attributes);");
    line("\t\t</script>");
    line("</div>");
    line("");
    line("<!-- END OF COPYING -->");
    line("");
    line("</body>");
    line("</html>");
    page.commit();
}

}  // namespace pictavo::build
