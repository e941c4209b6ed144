#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pictavo::pictures {

// Pictures made before, kept in a folder under a key that names everything
// they depend on. An entry that cannot be read, is damaged or belongs to
// another key is simply not found; nothing here ever fails.
class PictureCache {
public:
    static constexpr std::uint64_t DefaultLimit = std::uint64_t{512} << 20;

    PictureCache(std::filesystem::path folder, std::uint64_t limit = DefaultLimit);

    std::optional<std::string> find(std::string_view key) const;
    void store(std::string_view key, std::string_view picture) const;

    // Drops the entries used longest ago until the folder holds no more
    // than the limit.
    void trim() const;

    const std::filesystem::path& folder() const { return m_folder; }

private:
    std::filesystem::path entryPath(std::string_view key) const;

    std::filesystem::path m_folder;
    std::uint64_t m_limit;
};

// The user's picture cache folder: ${XDG_CACHE_HOME:-$HOME/.cache}/pictavo/.
// An XDG_CACHE_HOME that is empty or relative does not count; nothing when
// no absolute folder is found.
std::optional<std::filesystem::path> userCacheFolder();

// A 128-bit content hash as 32 hexadecimal digits.
std::string contentHash(std::string_view bytes);

}  // namespace pictavo::pictures
