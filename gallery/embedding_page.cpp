#include "gallery/embedding_page.h"

#include "gallery/flash_config.h"
#include "model/product.h"
#include "model/text_encoding.h"
#include "model/value_encodings.h"
#include "platform/ascii.h"
#include "platform/file_writer.h"

#include <cstdio>

namespace pictavo::gallery {

namespace {

std::string comment(std::string_view text) { return "<!-- " + std::string(text) + " -->"; }

std::string hexadecimal(const char* format, unsigned long value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The characters a value stands for on the page. HTML reads a reference to
// U+0080 to U+009F as the Windows-1252 character of that byte; the script
// gets the same characters, so the element id it names is the one the HTML
// holds.
std::u32string pageCharacters(std::string_view text)
{
    std::u32string characters = model::projectTextToUnicode(text);
    for (char32_t& c : characters)
        if (c >= 0x80 && c < 0xA0)
            c = model::windows1252Character(static_cast<unsigned char>(c));
    return characters;
}

bool isAsciiControl(char32_t c) { return c < 0x20 || c == 0x7F; }

}  // namespace

std::string htmlAttribute(std::string_view text)
{
    std::string out;
    for (char32_t c : pageCharacters(text)) {
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
            if (isAsciiControl(c) || c > 0x7F)
                out += hexadecimal("&#x%lX;", c);
            else
                out += static_cast<char>(c);
        }
    }
    return out;
}

std::string javaScriptString(std::string_view text)
{
    std::string out;
    for (char32_t c : pageCharacters(text)) {
        if (c == '\\' || c == '"' || c == '\'') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '<' || c == '>' || isAsciiControl(c)) {
            // "\x3C" keeps a value from closing the script element early.
            out += hexadecimal("\\x%02lX", c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x10000) {
            out += hexadecimal("\\u%04lX", c);
        } else {
            out += hexadecimal("\\u%04lX", 0xD800 + ((c - 0x10000) >> 10));
            out += hexadecimal("\\u%04lX", 0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

// The bytes are those that name the file: a UTF-8 name gives the form
// browsers make of a typed address, and a name in Windows-1252 still reaches
// its file on the server.
std::string urlPathSegment(std::string_view fileName)
{
    std::string out;
    for (char byte : fileName) {
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                                byte == '~';
        out += unreserved ? std::string(1, byte) : hexadecimal("%%%02lX", static_cast<unsigned char>(byte));
    }
    return out;
}

void WriteEmbeddingPage(const model::TAppletAgent& agent, const std::filesystem::path& pagePath)
{
    const model::TAppletData& applet = agent.AppletData;
    const std::string height = std::to_string(static_cast<long long>(model::parseInteger(applet.largeImageHeight)) +
                                              model::parseInteger(applet.thumbImageHeight));
    // The leading image path is an address as the designer typed it, as the
    // configuration carries it to the player: "images%20x/" or a full URL
    // must keep working, so it is escaped for the attribute and no more.
    const std::string firstLarge = agent.Items.empty() ? "" : imageReference(applet, agent.Items[0].LargeImageName);

    // Each value escaped for where it stands; ordinary values stay as they are.
    const std::string idAttribute = htmlAttribute(GalleryId(applet));
    const std::string widthAttribute = htmlAttribute(applet.largeImageWidth);
    const std::string idScript = javaScriptString(GalleryId(applet));
    const std::string widthScript = javaScriptString(applet.largeImageWidth);
    // The player fetches xmlPath relative to the page, so it is a URL there.
    const std::string configScript = javaScriptString(urlPathSegment(ConfigFileName(applet)));
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
    // The linked files lie beside the page and are named by their addresses.
    for (const model::TLinkedFileInfo& file : agent.LinkedFiles)
        if (platform::lowerCase(file.Kind) == "css")
            line("<LINK href=\"./" + urlPathSegment(file.FileName) + "\" type=\"text/css\" rel=\"stylesheet\" />");
    for (const model::TLinkedFileInfo& file : agent.LinkedFiles)
        if (platform::lowerCase(file.Kind) == "js")
            line("<SCRIPT language=\"javascript\" type=\"text/javascript\" src=\"./" + urlPathSegment(file.FileName) +
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

}  // namespace pictavo::gallery
