#pragma once

#include "pictures/picture_cache.h"
#include "pictures/picture_maker.h"
#include "model/progress.h"

#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pictavo::pictures {

// One item whose pictures are to be made: its position and its original.
struct PictureJob {
    int item;
    std::string original;
};

// One of an item's pictures, with what the user should know of its original
// (BoxPictures::warning).
struct ItemPicture {
    std::string picture;
    std::string warning;
};

// Makes the pictures of the jobs on worker threads, a few items ahead of the
// thumbnail pass that takes them in item order. Each original is decoded once
// for both boxes; the large pictures wait in the cache for the large pass.
// Pictures already in the cache are not made again. The pass may skip jobs
// (their originals went away): the jobs before the one it asks for are then
// dropped, and the workers go on from there.
class PicturePipeline {
public:
    // With no workers everything is made on the calling thread when asked for.
    PicturePipeline(std::vector<PictureJob> jobs, Box thumbnail, std::optional<Box> large,
                    std::shared_ptr<const PictureCache> cache, int workers);
    ~PicturePipeline();
    PicturePipeline(const PicturePipeline&) = delete;
    PicturePipeline& operator=(const PicturePipeline&) = delete;

    // The thumbnail of the job's item, or its failure thrown as it happened.
    // Asked for in item order.
    ItemPicture thumbnail(const PictureJob& job, model::ProgressReporter& progress);
    // The large picture of the job's item, asked for after its thumbnail.
    std::string large(const PictureJob& job);

private:
    struct Result {
        ItemPicture thumbnail;
        std::exception_ptr failure;
    };
    struct Made {
        std::string hash;
        PictureFormat format = PictureFormat::Jpeg;
    };

    void work();
    Result make(const PictureJob& job);
    std::vector<Box> boxes() const;
    std::string key(const Made& made, char which) const;
    std::string originalHash(const std::string& original, PictureFormat format, std::string& bytes) const;

    std::vector<PictureJob> m_jobs;
    Box m_thumbnail;
    std::optional<Box> m_large;
    std::shared_ptr<const PictureCache> m_cache;
    std::size_t m_window;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Positions in m_jobs: the next job a worker starts, and the first job the
    // pass has not gone past; m_taken <= m_nextJob <= m_taken + m_window.
    std::size_t m_nextJob = 0;
    std::size_t m_taken = 0;
    bool m_stop = false;
    std::map<int, Result> m_results;
    std::map<int, Made> m_made;
    std::vector<std::thread> m_workers;
};

}  // namespace pictavo::pictures
