#include "fuzz/targets.h"

#include "gallery/embedding_page.h"
#include "gallery/flash_config.h"
#include "pictures/picture_decoder.h"
#include "pictures/picture_maker.h"
#include "model/applet_agent.h"
#include "platform/user_error.h"
#include "publish/readme.h"

#include <cstdlib>
#include <filesystem>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace pictavo::fuzz {

namespace {

// Pictures that would take long to decode are refused before the decode
// here; the decoders' own limit is far larger than a fuzzer's patience.
constexpr long long MaxFuzzPixels = 1 << 22;

// The process's own folder for the files a target writes, removed when the
// process ends normally (a fuzzing run's end, a test program's end).
class WorkFolder {
public:
    WorkFolder()
        : m_path(std::filesystem::temp_directory_path() / ("pictavo-fuzz-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_path);
    }
    ~WorkFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

const std::filesystem::path& workFolder()
{
    static const WorkFolder folder;
    return folder.path();
}

std::string bytes(const std::uint8_t* data, std::size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

void writeFile(const std::filesystem::path& path, const std::string& content)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
}

// Text the project file can hold: no field separator and no line break.
std::string projectText(std::string text)
{
    for (std::size_t at; (at = text.find(model::TAppletAgent::FieldSeparator)) != std::string::npos;)
        text.erase(at, 1);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

}  // namespace

void projectReader(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path file = workFolder() / "reader.tvgallery1";
    writeFile(file, bytes(data, size));
    model::TAppletAgent agent;
    agent.ResetToDefaults();
    model::Outline outline;
    model::NullProgress progress;
    try {
        if (agent.LoadProjectFile(file, outline, progress) == model::LoadOutcome::Loaded &&
            outline.nodeCount() != static_cast<int>(agent.Items.size()) + 1)
            throw std::logic_error("the outline does not match the items");
    } catch (const platform::UserError&) {
    }
}

void bmpReader(const std::uint8_t* data, std::size_t size)
{
    try {
        const std::string original = bytes(data, size);
        auto decoder = pictures::openBmp(original, "fuzz.bmp");
        const int width = decoder->width();
        const int height = decoder->height();
        if (static_cast<long long>(width) * height > MaxFuzzPixels)
            return;
        const pictures::Image image = decoder->decode(width, height);
        if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 3)
            throw std::logic_error("the picture's size does not match its pixels");
        // Keeping only the pixels a box takes gives the box what the whole picture gives it.
        const pictures::BoxMapping mapping = pictures::boxMapping(pictures::boxGeometry(width, height, 29, 31), 29, 31, width, height);
        const pictures::PixelSelection keep = pictures::selectionOf({mapping});
        const pictures::Image kept = pictures::openBmp(original, "fuzz.bmp")->decodeSelected(keep);
        if (pictures::applyMapping(kept, pictures::ontoSelection(mapping, keep)).pixels !=
            pictures::applyMapping(image, mapping).pixels)
            throw std::logic_error("the kept pixels differ from the whole picture's");
    } catch (const platform::UserError&) {
    }
}

void pictureMaker(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return;
    const bool gif = data[0] & 1;
    const std::string original = bytes(data + 1, size - 1);
    try {
        auto decoder = gif ? pictures::openGif(original, "fuzz.gif") : pictures::openJpeg(original, "fuzz.jpg");
        if (static_cast<long long>(decoder->width()) * decoder->height() > 16 * MaxFuzzPixels)
            return;
        const auto pictures = pictures::makeBoxPictures(original, "fuzz", gif ? pictures::PictureFormat::Gif : pictures::PictureFormat::Jpeg,
                                                     {pictures::Box{13, 7}, pictures::Box{29, 31}});
        if (pictures.encoded.size() != 2 || pictures.encoded[0].empty() || pictures.encoded[1].empty())
            throw std::logic_error("a picture is missing");
    } catch (const platform::UserError&) {
    }
}

void projectRoundTrip(const std::uint8_t* data, std::size_t size)
{
    // Fields are the input's runs between zero bytes: the gallery's 43, then
    // items of 9.
    std::vector<std::string> fields;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            fields.push_back(projectText(current));
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    fields.push_back(projectText(current));

    model::TAppletAgent agent;
    agent.ResetToDefaults();
    std::size_t next = 0;
    for (int f = 1; f <= model::TAppletData::FieldCount && next < fields.size(); ++f)
        agent.AppletData.field(f) = fields[next++];
    while (next < fields.size()) {
        model::TItemData item;
        for (int f = 1; f <= model::TItemData::FieldCount && next < fields.size(); ++f)
            item.field(f) = fields[next++];
        item.Level = std::to_string(item.Level.size() % 3 == 0 ? 0 : 1);
        agent.Items.push_back(item);
    }
    if (!agent.Items.empty())
        agent.Items.front().Level = "0";

    const std::filesystem::path& folder = workFolder();
    model::NullProgress progress;
    agent.SaveProjectFile(folder / "round.tvgallery1", progress);
    try {
        const std::filesystem::path config = gallery::WriteFlashConfig(agent, folder);
        pugi::xml_document document;
        if (!document.load_file(config.c_str()))
            throw std::logic_error("the configuration is not XML");
        std::filesystem::remove(config);
        gallery::WriteEmbeddingPage(agent, folder / "round.html");
    } catch (const platform::UserError&) {
        // Sizes that are no integers are refused; that is the promise too.
    }
    publish::WriteReadme(agent, folder, "round_readme.txt", progress);

    model::TAppletAgent reloaded;
    model::Outline outline;
    if (reloaded.LoadProjectFile(folder / "round.tvgallery1", outline, progress) != model::LoadOutcome::Loaded ||
        reloaded.AppletData != agent.AppletData || reloaded.Items != agent.Items)
        throw std::logic_error("the project file did not read back field for field");
}

}  // namespace pictavo::fuzz
