#pragma once

#include "platform/folders.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace pictavo::test {

// Points HOME and the XDG variables at a fresh folder for one test and puts
// the old values back afterwards.
class UserFolders {
public:
    UserFolders()
    {
        set("HOME", m_root.path().string());
        set("XDG_DATA_HOME", (m_root / "data").string());
        set("XDG_CONFIG_HOME", (m_root / "config").string());
        set("XDG_CACHE_HOME", (m_root / "cache").string());
    }
    ~UserFolders()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                ::unsetenv(it->first.c_str());
        }
    }
    UserFolders(const UserFolders&) = delete;
    UserFolders& operator=(const UserFolders&) = delete;

    void set(const std::string& name, const std::string& value)
    {
        save(name);
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    void unset(const std::string& name)
    {
        save(name);
        ::unsetenv(name.c_str());
    }

    const std::filesystem::path& home() const { return m_root.path(); }
    std::filesystem::path dataFolder() const { return m_root / "data/Tavemo/Pictavo/1.0"; }
    // This process's own run folders, as the core stages into them.
    std::filesystem::path previewFolder() const { return platform::GetRunFolder() / "Preview"; }
    std::filesystem::path tempFolder() const { return platform::GetRunFolder() / "Temp"; }
    // Where every run, this one and those of the programs a test starts, has its folder.
    std::filesystem::path runsFolder() const { return dataFolder() / "Runs"; }
    std::filesystem::path sharedTempFolder() const { return dataFolder() / "Temp"; }
    std::filesystem::path cacheFolder() const { return m_root / "cache/pictavo"; }

private:
    void save(const std::string& name)
    {
        const char* old = std::getenv(name.c_str());
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }

    TempDir m_root;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

inline std::vector<std::string> folderListing(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace pictavo::test
