#include "pictures/picture_pipeline.h"

#include <algorithm>
#include <chrono>
#include <sys/stat.h>

namespace pictavo::pictures {

namespace {

// Part of every cache key: a change to how pictures are made, or to what an
// entry holds, gives new keys.
constexpr const char* PictureCodeVersion = "pictures-2";

std::string boxText(const Box& box) { return std::to_string(box.width) + "x" + std::to_string(box.height); }

// A thumbnail's cache entry holds the warning of its original too, so that a
// build served from the cache tells the user again: the warning's length in
// decimal digits, a colon, the warning, then the picture.
std::string thumbnailEntry(const ItemPicture& thumbnail)
{
    return std::to_string(thumbnail.warning.size()) + ":" + thumbnail.warning + thumbnail.picture;
}

std::optional<ItemPicture> fromThumbnailEntry(const std::string& entry)
{
    const std::size_t colon = entry.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 9 ||
        entry.find_first_not_of("0123456789") != colon)
        return std::nullopt;
    const std::size_t length = std::stoul(entry.substr(0, colon));
    if (length > entry.size() - colon - 1)
        return std::nullopt;
    return ItemPicture{entry.substr(colon + 1 + length), entry.substr(colon + 1, length)};
}

}  // namespace

PicturePipeline::PicturePipeline(std::vector<PictureJob> jobs, Box thumbnail, std::optional<Box> large,
                                 std::shared_ptr<const PictureCache> cache, int workers)
    : m_jobs(std::move(jobs)), m_thumbnail(thumbnail), m_large(large), m_cache(std::move(cache)),
      m_window(static_cast<std::size_t>(2 * workers + 2))
{
    for (int i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

PicturePipeline::~PicturePipeline()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

// Both pictures come from one decode, so what each looks like depends on both boxes.
std::vector<Box> PicturePipeline::boxes() const
{
    std::vector<Box> both{m_thumbnail};
    if (m_large)
        both.push_back(*m_large);
    return both;
}

std::string PicturePipeline::key(const Made& made, char which) const
{
    return std::string(PictureCodeVersion) + "|" + extensionOf(made.format) + "|" + made.hash + "|" +
           boxText(m_thumbnail) + "|" + (m_large ? boxText(*m_large) : "-") + "|" + which;
}

// The content hash of an original. The cache remembers it under the file's
// identity and times (device, inode, size, modification and change times),
// so an unchanged original is not read again; any change to the file gives
// another identity. When the file had to be read (its header checked
// before the rest, readOriginal), its bytes are kept.
std::string PicturePipeline::originalHash(const std::string& original, PictureFormat format, std::string& bytes) const
{
    struct stat info {};
    std::string identity;
    if (m_cache && ::stat(original.c_str(), &info) == 0)
        identity = "original|" + original + "|" + std::to_string(info.st_dev) + "|" + std::to_string(info.st_ino) +
                   "|" + std::to_string(info.st_size) + "|" + std::to_string(info.st_mtim.tv_sec) + "." +
                   std::to_string(info.st_mtim.tv_nsec) + "|" + std::to_string(info.st_ctim.tv_sec) + "." +
                   std::to_string(info.st_ctim.tv_nsec);
    if (!identity.empty())
        if (std::optional<std::string> known = m_cache->find(identity))
            return *known;
    bytes = readOriginal(original, format);
    std::string hash = contentHash(bytes);
    if (!identity.empty())
        m_cache->store(identity, hash);
    return hash;
}

// Reads, hashes and, unless the cache has them, makes both pictures of one
// original; the large one goes into the cache for the large pass.
PicturePipeline::Result PicturePipeline::make(const PictureJob& job)
{
    Result result;
    try {
        const PictureFormat format = pictureFormatOf(job.original);
        std::string bytes;
        const Made made{originalHash(job.original, format, bytes), format};
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_made[job.item] = made;
        }
        // Both pictures are stored together, so a cached thumbnail means the
        // large picture is there too; should it have gone, the large pass
        // makes it again.
        if (std::optional<std::string> entry = m_cache ? m_cache->find(key(made, 't')) : std::nullopt)
            if (std::optional<ItemPicture> thumbnail = fromThumbnailEntry(*entry)) {
                result.thumbnail = std::move(*thumbnail);
                return result;
            }
        if (bytes.empty())
            bytes = readOriginal(job.original, format);
        BoxPictures pictures = makeBoxPictures(std::move(bytes), job.original, format, boxes());
        result.thumbnail = ItemPicture{std::move(pictures.encoded[0]), std::move(pictures.warning)};
        if (m_cache) {
            m_cache->store(key(made, 't'), thumbnailEntry(result.thumbnail));
            if (m_large)
                m_cache->store(key(made, 'l'), pictures.encoded[1]);
        }
    } catch (...) {
        result.failure = std::current_exception();
    }
    return result;
}

void PicturePipeline::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || (m_nextJob < m_jobs.size() && m_nextJob < m_taken + m_window); });
        if (m_stop)
            return;
        const std::size_t position = m_nextJob++;
        const PictureJob& job = m_jobs[position];
        lock.unlock();
        Result result = make(job);
        lock.lock();
        // A job the pass went past while it was made is nobody's.
        if (position >= m_taken)
            m_results[job.item] = std::move(result);
        m_changed.notify_all();
    }
}

ItemPicture PicturePipeline::thumbnail(const PictureJob& job, model::ProgressReporter& progress)
{
    const int item = job.item;
    std::size_t position = 0;
    while (position < m_jobs.size() && m_jobs[position].item != item)
        ++position;
    Result result;
    // Without workers, or for an original that appeared after the jobs were
    // listed, the pictures are made here.
    if (m_workers.empty() || position == m_jobs.size()) {
        result = make(job);
    } else {
        std::unique_lock<std::mutex> lock(m_mutex);
        // The pass skipped the jobs before this one: their results go, and
        // the window moves on so that the workers reach this job.
        if (position > m_taken) {
            for (std::size_t skipped = m_taken; skipped < position; ++skipped)
                m_results.erase(m_jobs[skipped].item);
            m_taken = position;
            m_nextJob = std::max(m_nextJob, m_taken);
            m_changed.notify_all();
        }
        while (!m_results.count(item)) {
            m_changed.wait_for(lock, std::chrono::milliseconds(40));
            lock.unlock();
            progress.waiting();
            lock.lock();
        }
        result = std::move(m_results[item]);
        m_results.erase(item);
        m_taken = position + 1;
        m_changed.notify_all();
    }
    if (result.failure)
        std::rethrow_exception(result.failure);
    return std::move(result.thumbnail);
}

std::string PicturePipeline::large(const PictureJob& job)
{
    const int item = job.item;
    Made made;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_made.find(item);
        if (found != m_made.end())
            made = found->second;
    }
    if (!made.hash.empty() && m_cache)
        if (std::optional<std::string> cached = m_cache->find(key(made, 'l')))
            return std::move(*cached);
    // Not in the cache (or no cache): made again, exactly as the workers make it.
    const PictureFormat format = pictureFormatOf(job.original);
    return makeBoxPictures(readOriginal(job.original, format), job.original, format, boxes()).encoded.back();
}

}  // namespace pictavo::pictures
