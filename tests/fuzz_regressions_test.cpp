#include "fuzz/targets.h"

#include "support/temp_dir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace pictavo {
namespace {

// Every seed of the fuzz corpus and every input a fuzzer once found trouble
// with goes through its target again: no crash, no broken promise.
void runAll(const char* target, const std::function<void(const std::uint8_t*, std::size_t)>& function)
{
    int inputs = 0;
    for (const char* folder : {"fuzz/corpus/", "tests/regressions/"}) {
        const std::filesystem::path path = std::filesystem::path(PICTAVO_SOURCE_DIR) / folder / target;
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (!entry.is_regular_file() || entry.path().filename().string().front() == '.')
                continue;
            const std::string bytes = test::readBytes(entry.path());
            EXPECT_NO_THROW(function(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
                << entry.path();
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0);
}

TEST(FuzzRegressions, ProjectReader) { runAll("project_reader", fuzz::projectReader); }
TEST(FuzzRegressions, BmpReader) { runAll("bmp_reader", fuzz::bmpReader); }
TEST(FuzzRegressions, PictureMaker) { runAll("picture_maker", fuzz::pictureMaker); }
TEST(FuzzRegressions, ProjectRoundTrip) { runAll("project_round_trip", fuzz::projectRoundTrip); }

}  // namespace
}  // namespace pictavo
