#include "pictures/picture_cache.h"

#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "platform/user_error.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xxhash.h>

namespace pictavo::pictures {

namespace {

constexpr char Magic[4] = {'P', 'C', 'E', '1'};

void putNumber(std::string& out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool takeNumber(std::string_view& in, std::uint64_t& value)
{
    if (in.size() < 8)
        return false;
    value = 0;
    for (int i = 0; i < 8; ++i)
        value |= std::uint64_t{static_cast<unsigned char>(in[static_cast<std::size_t>(i)])} << (8 * i);
    in.remove_prefix(8);
    return true;
}

bool isAbsoluteFolder(const char* path) { return path && path[0] == '/'; }

}  // namespace

std::optional<std::filesystem::path> userCacheFolder()
{
    if (const char* base = std::getenv("XDG_CACHE_HOME"); isAbsoluteFolder(base))
        return std::filesystem::path(base) / "pictavo/";
    if (const char* home = std::getenv("HOME"); isAbsoluteFolder(home))
        return std::filesystem::path(home) / ".cache/pictavo/";
    return std::nullopt;
}

std::string contentHash(std::string_view bytes)
{
    const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                  static_cast<unsigned long long>(hash.low64));
    return text;
}

PictureCache::PictureCache(std::filesystem::path folder, std::uint64_t limit)
    : m_folder(std::move(folder)), m_limit(limit)
{
    std::error_code ignored;
    std::filesystem::create_directories(m_folder, ignored);
}

std::filesystem::path PictureCache::entryPath(std::string_view key) const
{
    return m_folder / (contentHash(key) + ".pic");
}

// An entry: the magic, the key's length and the key, the picture's length
// and hash, then the picture.
std::optional<std::string> PictureCache::find(std::string_view key) const
{
    std::string entry;
    try {
        entry = platform::readWholeFile(entryPath(key));
    } catch (const platform::UserError&) {
        return std::nullopt;
    }
    std::string_view in = entry;
    std::uint64_t keyLength = 0;
    std::uint64_t pictureLength = 0;
    std::uint64_t pictureHash = 0;
    if (in.size() < sizeof Magic || std::memcmp(in.data(), Magic, sizeof Magic) != 0)
        return std::nullopt;
    in.remove_prefix(sizeof Magic);
    if (!takeNumber(in, keyLength) || keyLength > in.size() || in.substr(0, keyLength) != key)
        return std::nullopt;
    in.remove_prefix(keyLength);
    if (!takeNumber(in, pictureLength) || !takeNumber(in, pictureHash) || pictureLength != in.size() ||
        XXH3_64bits(in.data(), in.size()) != pictureHash)
        return std::nullopt;
    // The entry was used now: trimming keeps it longer.
    std::error_code ignored;
    std::filesystem::last_write_time(entryPath(key), std::filesystem::file_time_type::clock::now(), ignored);
    return std::string(in);
}

void PictureCache::store(std::string_view key, std::string_view picture) const
{
    std::string entry(Magic, sizeof Magic);
    putNumber(entry, key.size());
    entry += key;
    putNumber(entry, picture.size());
    putNumber(entry, XXH3_64bits(picture.data(), picture.size()));
    entry += picture;
    try {
        platform::writeWholeFile(entryPath(key), entry, platform::Durability::Unsynced);
    } catch (const platform::UserError&) {
    }
}

void PictureCache::trim() const
{
    struct Entry {
        std::filesystem::path path;
        std::filesystem::file_time_type used;
        std::uint64_t size;
    };
    std::vector<Entry> entries;
    std::uint64_t total = 0;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(m_folder, error)) {
        std::error_code e;
        if (!item.is_regular_file(e) || item.path().extension() != ".pic")
            continue;
        const std::uint64_t size = item.file_size(e);
        const auto used = item.last_write_time(e);
        if (e)
            continue;
        entries.push_back({item.path(), used, size});
        total += size;
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.used < b.used; });
    for (const Entry& entry : entries) {
        if (total <= m_limit)
            break;
        std::error_code ignored;
        if (std::filesystem::remove(entry.path, ignored))
            total -= entry.size;
    }
}

}  // namespace pictavo::pictures
