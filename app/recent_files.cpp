#include "recent_files.h"

#include "platform/file_ops.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "platform/folders.h"

std::filesystem::path recentFilesPath() { return pictavo::platform::GetSharedTempFolder() / "recentfile.dat"; }

RecentSlots readRecentSlots()
{
    const std::filesystem::path path = recentFilesPath();
    if (!pictavo::platform::fileExists(path))
        pictavo::platform::writeWholeFile(path, "");
    const auto lines = pictavo::platform::splitLines(pictavo::platform::readWholeFile(path));
    RecentSlots slots;
    for (std::size_t i = 0; i < slots.size() && i < lines.size(); ++i)
        slots[i] = lines[i];
    return slots;
}

void addRecentFile(const std::string& name)
{
    if (name.empty())
        return;
    RecentSlots slots = readRecentSlots();
    for (std::string& slot : slots) {
        slot = slot.size() > 3 ? slot.substr(3) : std::string();
        if (!slot.empty() && slot == name)
            return;
    }
    for (std::size_t i = slots.size() - 1; i > 0; --i)
        slots[i] = slots[i - 1];
    slots[0] = name;

    pictavo::platform::FileWriter file(recentFilesPath());
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (!slots[i].empty())
            file.writeLine("&" + std::to_string(i + 1) + " " + slots[i]);
    file.commit();
}
