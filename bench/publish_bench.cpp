// Times `pictavo-cli publish` of projects with 24 photo-like originals of 12
// and of 2 megapixels: cold (nothing cached) with two worker threads and with
// one, and again after one item's title changed; and, when vipsthumbnail is
// installed, vipsthumbnail making the same two pictures of each original.
// Usage: publish_bench PICTAVO_CLI [FOLDER]

#include "model/applet_agent.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <jpeglib.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using pictavo::model::TAppletAgent;

constexpr int Originals = 24;
constexpr int Runs = 5;

// A photo-like picture: smooth light, shapes, and sensor-like grain, written
// as a camera would (baseline, quality 92, 4:2:0).
void writePhoto(const fs::path& path, int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<float> grain(0.0f, 9.0f);
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    FILE* file = std::fopen(path.c_str(), "wb");
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    const double phase = seed * 0.7;
    for (int y = 0; y < height; ++y) {
        const double v = y / static_cast<double>(height);
        for (int x = 0; x < width; ++x) {
            const double u = x / static_cast<double>(width);
            const double light = 0.55 + 0.25 * std::sin(6 * u + phase) * std::cos(5 * v - phase) +
                                 0.12 * std::sin(40 * u * v + phase) + 0.06 * std::sin(90 * u + 70 * v);
            for (int c = 0; c < 3; ++c) {
                const double tint = 0.75 + 0.25 * std::sin(phase + c * 2.1 + 3 * u);
                const double value = 255 * light * tint + grain(random);
                row[static_cast<std::size_t>(x) * 3 + c] = static_cast<JSAMPLE>(std::clamp(value, 0.0, 255.0));
            }
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

struct Run {
    double seconds;
    long peakKiB;
};

Run run(const std::vector<std::string>& args, const std::vector<std::string>& environment)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.push_back(*e);
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        std::fprintf(stderr, "cannot run %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
    return Run{seconds, usage.ru_maxrss};
}

Run median(std::vector<Run> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    Run m = runs[runs.size() / 2];
    for (const Run& r : runs)
        m.peakKiB = std::max(m.peakKiB, r.peakKiB);
    return m;
}

void retitle(const fs::path& project, int round)
{
    TAppletAgent agent;
    pictavo::model::Outline outline;
    pictavo::model::NullProgress progress;
    agent.LoadProjectFile(project, outline, progress);
    agent.Items[0].ToolTip = "Title " + std::to_string(round);
    agent.SaveProjectFile(project, progress);
}

void report(const char* what, const Run& r, double vips)
{
    std::printf("  %-34s %7.3f s  %6.1f ms/original  peak %6.1f MiB", what, r.seconds,
                1000 * r.seconds / Originals, r.peakKiB / 1024.0);
    if (vips > 0)
        std::printf("  %5.2f x vipsthumbnail", r.seconds / vips);
    std::printf("\n");
}

void corpus(const std::string& cli, const fs::path& root, int width, int height)
{
    const fs::path folder = root / (std::to_string(width) + "x" + std::to_string(height));
    fs::create_directories(folder / "originals");
    std::vector<std::string> originals;
    for (int i = 0; i < Originals; ++i) {
        const fs::path path = folder / "originals" / ("photo" + std::to_string(i) + ".jpg");
        if (!fs::exists(path))
            writePhoto(path, width, height, static_cast<unsigned>(i + 1));
        originals.push_back(path.string());
    }
    std::uintmax_t bytes = 0;
    for (const std::string& o : originals)
        bytes += fs::file_size(o);
    std::printf("\n%d originals of %d x %d, %.2f bits per pixel\n", Originals, width, height,
                8.0 * bytes / (double(width) * height * Originals));

    const fs::path project = folder / "bench.tvgallery1";
    {
        TAppletAgent agent;
        agent.ResetToDefaults();
        for (const std::string& o : originals) {
            auto item = TAppletAgent::NewItemData();
            item.OriginalImagePath = o;
            item.Level = "0";
            agent.Items.push_back(item);
        }
        pictavo::model::NullProgress progress;
        agent.SaveProjectFile(project, progress);
    }
    const std::string data = "XDG_DATA_HOME=" + (folder / "data").string();
    const std::string cacheHome = "XDG_CACHE_HOME=" + (folder / "cache").string();
    const fs::path cache = folder / "cache" / "pictavo";
    const std::vector<std::string> publish{cli, "publish", project.string(), "--to", (folder / "site").string()};

    double vips = 0;
    if (std::system("command -v vipsthumbnail >/dev/null 2>&1") == 0) {
        fs::create_directories(folder / "vips");
        std::vector<Run> runs;
        for (int r = 0; r <= Runs; ++r) {
            Run total{0, 0};
            for (const char* size : {"133x75", "667x375"}) {
                std::vector<std::string> args{"vipsthumbnail", "--size", size, "--smartcrop", "centre", "-o",
                                              (folder / "vips").string() + "/%s_" + size + ".jpg[Q=90]"};
                args.insert(args.end(), originals.begin(), originals.end());
                const Run one = run(args, {"VIPS_CONCURRENCY=1"});
                total.seconds += one.seconds;
                total.peakKiB = std::max(total.peakKiB, one.peakKiB);
            }
            if (r > 0)
                runs.push_back(total);
        }
        const Run m = median(runs);
        vips = m.seconds;
        report("vipsthumbnail (one thread)", m, 0);
    } else {
        std::printf("  vipsthumbnail is not installed: no comparison\n");
    }

    for (const char* workers : {"PICTAVO_WORKERS=2", "PICTAVO_WORKERS=1"}) {
        std::vector<Run> runs;
        for (int r = 0; r <= Runs; ++r) {
            fs::remove_all(cache);
            const Run one = run(publish, {data, cacheHome, workers});
            if (r > 0)
                runs.push_back(one);
        }
        report((std::string("cold publish, ") + (workers + 16) + " worker(s)").c_str(), median(runs), vips);
    }
    std::vector<Run> runs;
    run(publish, {data, cacheHome});
    for (int r = 0; r < Runs; ++r) {
        retitle(project, r);
        runs.push_back(run(publish, {data, cacheHome}));
    }
    report("publish after one title changed", median(runs), vips);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: publish_bench PICTAVO_CLI [FOLDER]\n");
        return 2;
    }
    const fs::path root = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "pictavo-publish-bench";
    corpus(argv[1], root, 4000, 3000);
    corpus(argv[1], root, 1600, 1200);
    return 0;
}
