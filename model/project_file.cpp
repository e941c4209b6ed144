#include "model/project_file.h"

#include "model/applet_agent.h"
#include "model/outline.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "platform/user_error.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace pictavo::model {

namespace {

constexpr std::uintmax_t MaxProjectFileBytes = std::uintmax_t{512} << 20;

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
    explicit LineCursor(std::string_view text) : m_reader(text) {}

    std::optional<std::string_view> next() { return m_reader.next(); }

    // Takes the next line, then further lines until one equals the tag.
    bool skipTo(std::string_view tag)
    {
        for (auto line = next(); line; line = next())
            if (*line == tag)
                return true;
        return false;
    }

private:
    platform::LineReader m_reader;
};

std::string endsEarlyMessage(const std::filesystem::path& path)
{
    return "The project file \"" + path.string() +
           "\" ends before its item list is complete and cannot be opened.";
}

}  // namespace

std::vector<std::string_view> ExtractFields(std::string_view line, int count, std::string_view separator)
{
    std::vector<std::string_view> fields(static_cast<std::size_t>(std::max(count, 0)));
    if (separator.empty())
        return fields;
    std::size_t start = 0;
    for (std::string_view& field : fields) {
        const std::size_t found = line.find(separator, start);
        if (found == std::string_view::npos)
            break;
        field = line.substr(start, found - start);
        start = found + separator.size();
    }
    return fields;
}

void TAppletAgent::SaveProjectFile(const std::filesystem::path& path, ProgressReporter& progress) const
{
    // The user's own file: saved through a link, which stays.
    platform::FileWriter file(path, platform::Durability::Synced, platform::Links::Follow);
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
    // Projects of a hundred thousand items take a few megabytes: a file far
    // beyond that is no project, and is not read into memory to find out.
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (!sizeError && size > MaxProjectFileBytes)
        throw platform::UserError("The project file " + platform::quoted(path) + " is too large to be opened (" +
                                  std::to_string(size) + " bytes; at most " +
                                  std::to_string(MaxProjectFileBytes >> 20) + " MiB).");
    const std::string text = platform::readWholeFile(path);
    LineCursor lines(text);

    if (!lines.skipTo(productNameTag))
        throw platform::UserError(endsEarlyMessage(path));
    const auto product = lines.next();
    if (!product)
        throw platform::UserError(endsEarlyMessage(path));
    if (*product != "Pictavo" && *product != "Trellimo")
        return LoadOutcome::Refused;

    // The version line is read but neither examined nor kept.
    if (!lines.skipTo(productVersionTag) || !lines.next() || !lines.skipTo(appletBeginTag))
        throw platform::UserError(endsEarlyMessage(path));
    const auto galleryLine = lines.next();
    if (!galleryLine)
        throw platform::UserError(endsEarlyMessage(path));
    TAppletData applet;
    const auto galleryFields = ExtractFields(*galleryLine, TAppletData::FieldCount, FieldSeparator);
    for (int position = 1; position <= TAppletData::FieldCount; ++position)
        applet.field(position) = galleryFields[static_cast<std::size_t>(position - 1)];

    // The gallery line itself may already be the item block's tag.
    if (*galleryLine != itemsBeginTag && !lines.skipTo(itemsBeginTag))
        throw platform::UserError(endsEarlyMessage(path));

    ProgressScope scope(progress, "Loading Data ... ...");
    // Items are built only once the file is known to load: its item block
    // ends, and every level is an integer, which building the outline checks.
    // So a refused file costs little more than its text, and the item list is
    // allocated once, at its size.
    if (LineCursor end = lines; !end.skipTo(itemsEndTag))
        throw platform::UserError(endsEarlyMessage(path));
    const auto forEachItemLine = [&lines](const auto& take) {
        LineCursor itemLines = lines;
        for (auto line = itemLines.next(); *line != itemsEndTag; line = itemLines.next())
            take(ExtractFields(*line, TItemData::FieldCount, FieldSeparator));
    };
    const auto levelIndex = static_cast<std::size_t>(TItemData::fieldPosition("Level") - 1);
    const auto pathIndex = static_cast<std::size_t>(TItemData::fieldPosition("OriginalImagePath") - 1);
    Outline rebuilt;
    forEachItemLine([&](const std::vector<std::string_view>& fields) {
        try {
            appendItemNode(rebuilt, fields[levelIndex], fields[pathIndex]);
        } catch (const platform::UserError& e) {
            // The conversion error says what; this says where.
            throw platform::UserError(std::string(e.what()) + " (the level of item " +
                                      std::to_string(rebuilt.itemCount()) + " in " + platform::quoted(path) + ")");
        }
    });
    TItemArray items;
    items.reserve(static_cast<std::size_t>(rebuilt.itemCount()));
    forEachItemLine([&](const std::vector<std::string_view>& fields) {
        TItemData& item = items.emplace_back();
        for (int position = 1; position <= TItemData::FieldCount; ++position)
            item.field(position) = fields[static_cast<std::size_t>(position - 1)];
    });

    AppletData = std::move(applet);
    Items = std::move(items);
    outline = std::move(rebuilt);
    return LoadOutcome::Loaded;
}

}  // namespace pictavo::model
