#include "model/project_file.h"

#include "model/applet_agent.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "platform/user_error.h"

#include <array>
#include <optional>
#include <vector>

namespace pictavo::model {

namespace {

constexpr std::string_view productNameTag = "<Product_Name>";
constexpr std::string_view productVersionTag = "<Product_Version>";
constexpr std::string_view appletBeginTag = "<Applet_Parameters>";
constexpr std::string_view appletEndTag = "</Applet_Parameters>";
constexpr std::string_view itemsBeginTag = "<Item_Parameters>";
constexpr std::string_view itemsEndTag = "</Item_Parameters>";

constexpr std::array<std::string_view, 10> headerLines{
    "<Warning_Info>",
    "Note: This file was created and maintained by Pictavo 1.0.",
    "Do not modify it or script project may not be opened again!",
    "</Warning_Info>",
    productNameTag,
    "Pictavo",
    "</Product_Name>",
    productVersionTag,
    "1.0",
    "</Product_Version>",
};

// Item lines carry two fields after the record's nine, always empty.
constexpr int itemLineFieldCount = TItemData::FieldCount + 2;

// The lines of a project file, taken one at a time as the reader asks for them.
class LineCursor {
public:
    explicit LineCursor(std::vector<std::string> lines) : m_lines(std::move(lines)) {}

    const std::string* next()
    {
        return m_position < m_lines.size() ? &m_lines[m_position++] : nullptr;
    }

    // Takes the next line, then further lines until one equals the tag.
    bool skipTo(std::string_view tag)
    {
        for (const std::string* line = next(); line; line = next())
            if (*line == tag)
                return true;
        return false;
    }

private:
    std::vector<std::string> m_lines;
    std::size_t m_position = 0;
};

std::string endsEarlyMessage(const std::filesystem::path& path)
{
    return "The project file \"" + path.string() +
           "\" ends before its item list is complete and cannot be opened.";
}

}  // namespace

std::string ExtractField(std::string_view line, int n, std::string_view separator)
{
    std::string_view rest = line;
    std::string_view field;
    for (int pass = 0; pass < n; ++pass) {
        const std::size_t found = separator.empty() ? std::string_view::npos : rest.find(separator);
        if (found == std::string_view::npos) {
            field = {};
            continue;
        }
        field = rest.substr(0, found);
        rest.remove_prefix(found + separator.size());
    }
    return std::string(field);
}

void TAppletAgent::SaveProjectFile(const std::filesystem::path& path, ProgressReporter& progress) const
{
    platform::FileWriter file(path);
    ProgressScope scope(progress, "Saving Data ... ...");
    progress.setMaximum(itemLineFieldCount * itemCount() + 15);

    for (std::string_view line : headerLines)
        file.writeLine(line);
    progress.advance(10);

    file.writeLine(appletBeginTag);
    std::string line;
    for (int position = 1; position <= TAppletData::FieldCount; ++position) {
        line += AppletData.field(position);
        line += FieldSeparator;
    }
    file.writeLine(line);
    file.writeLine(appletEndTag);
    progress.advance(5);

    file.writeLine(itemsBeginTag);
    for (const TItemData& item : Items) {
        line.clear();
        for (int position = 1; position <= itemLineFieldCount; ++position) {
            if (position <= TItemData::FieldCount)
                line += item.field(position);
            line += FieldSeparator;
            progress.advance(1);
        }
        file.writeLine(line);
    }
    file.writeLine(itemsEndTag);
    file.commit();
}

LoadOutcome TAppletAgent::LoadProjectFile(const std::filesystem::path& path, Outline& outline,
                                          ProgressReporter& progress)
{
    LineCursor lines(platform::splitLines(platform::readWholeFile(path)));

    if (!lines.skipTo(productNameTag))
        throw platform::UserError(endsEarlyMessage(path));
    const std::string* product = lines.next();
    if (!product)
        throw platform::UserError(endsEarlyMessage(path));
    if (*product != "Pictavo" && *product != "Trellimo")
        return LoadOutcome::Refused;

    // The version line is read but neither examined nor kept.
    if (!lines.skipTo(productVersionTag) || !lines.next() || !lines.skipTo(appletBeginTag))
        throw platform::UserError(endsEarlyMessage(path));
    const std::string* galleryLine = lines.next();
    if (!galleryLine)
        throw platform::UserError(endsEarlyMessage(path));
    TAppletData applet;
    for (int position = 1; position <= TAppletData::FieldCount; ++position)
        applet.field(position) = ExtractField(*galleryLine, position, FieldSeparator);

    // The gallery line itself may already be the item block's tag.
    if (*galleryLine != itemsBeginTag && !lines.skipTo(itemsBeginTag))
        throw platform::UserError(endsEarlyMessage(path));

    ProgressScope scope(progress, "Loading Data ... ...");
    TItemArray items;
    for (;;) {
        const std::string* line = lines.next();
        if (!line)
            throw platform::UserError(endsEarlyMessage(path));
        if (*line == itemsEndTag)
            break;
        TItemData item;
        for (int position = 1; position <= TItemData::FieldCount; ++position)
            item.field(position) = ExtractField(*line, position, FieldSeparator);
        items.push_back(std::move(item));
    }

    Outline rebuilt = rebuildOutline(items);
    AppletData = std::move(applet);
    Items = std::move(items);
    outline = std::move(rebuilt);
    return LoadOutcome::Loaded;
}

}  // namespace pictavo::model
