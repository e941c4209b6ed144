#include "pictures/picture_maker.h"

#include "pictures/bmp_codec.h"
#include "pictures/box_scaler.h"
#include "pictures/gif_codec.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_decoder.h"
#include "platform/ascii.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "platform/folders.h"
#include "platform/user_error.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace pictavo::pictures {

PictureFormat pictureFormatOf(const std::filesystem::path& original)
{
    std::string extension = original.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    const std::string lower = platform::lowerCase(extension);
    if (lower == "jpg" || lower == "jpeg")
        return PictureFormat::Jpeg;
    if (lower == "gif")
        return PictureFormat::Gif;
    if (lower == "bmp")
        return PictureFormat::Bmp;
    throw platform::UserError("Unknown picture file extension (." + extension + "): " + platform::quoted(original));
}

const char* extensionOf(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Jpeg:
        return ".jpg";
    case PictureFormat::Gif:
        return ".gif";
    case PictureFormat::Bmp:
        break;
    }
    return ".bmp";
}

namespace {

// Decodes once, covering every box's intermediate picture but never more
// than the original, and maps the result into each box. Only the source
// pixels the boxes take are decoded: a few bytes declaring a picture of
// 11000 x 11000 pixels cost a few hundred rows and columns.
std::vector<Image> boxPictures(PictureDecoder& decoder, const std::string& name, const std::vector<Box>& boxes)
{
    constexpr std::int64_t largest = std::numeric_limits<int>::max();
    std::vector<BoxGeometry> geometries;
    std::int64_t needWidth = 1;
    std::int64_t needHeight = 1;
    for (const Box& box : boxes) {
        if (box.width <= 0 || box.height <= 0)
            throw std::invalid_argument("empty box");
        const BoxGeometry g = boxGeometry(decoder.width(), decoder.height(), box.width, box.height);
        if (g.intermediateWidth > largest || g.intermediateHeight > largest)
            throw platform::UserError("The picture " + name + " cannot be scaled into a box of " +
                                      std::to_string(box.width) + " x " + std::to_string(box.height) + " pixels.");
        checkPictureSize("box", box.width, box.height);
        geometries.push_back(g);
        needWidth = std::max(needWidth, std::min<std::int64_t>(g.intermediateWidth, decoder.width()));
        needHeight = std::max(needHeight, std::min<std::int64_t>(g.intermediateHeight, decoder.height()));
    }
    const PictureSize source = decoder.chooseScale(static_cast<int>(needWidth), static_cast<int>(needHeight));
    std::vector<BoxMapping> mappings;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        mappings.push_back(boxMapping(geometries[i], boxes[i].width, boxes[i].height, source.width, source.height));
    const PixelSelection keep = selectionOf(mappings);
    const Image kept = decoder.decodeSelected(keep);
    std::vector<Image> pictures;
    for (const BoxMapping& mapping : mappings)
        pictures.push_back(applyMapping(kept, ontoSelection(mapping, keep)));
    return pictures;
}

void checkStart(std::string firstBytes, std::uint64_t fileSize, const std::string& name, PictureFormat format)
{
    switch (format) {
    case PictureFormat::Jpeg:
        return checkJpegStart(std::move(firstBytes), fileSize, name);
    case PictureFormat::Gif:
        return checkGifStart(std::move(firstBytes), fileSize, name);
    case PictureFormat::Bmp:
        break;
    }
    checkBmpStart(std::move(firstBytes), fileSize, name);
}

// The first look at an original: its whole header unless large application
// data (Exif, comments) comes before the picture; such a header is read in
// full with the rest of the file.
constexpr std::size_t HeaderLookBytes = 64 << 10;


}  // namespace

std::unique_ptr<PictureDecoder> openPicture(std::string bytes, const std::string& name, PictureFormat format)
{
    switch (format) {
    case PictureFormat::Jpeg:
        return openJpeg(std::move(bytes), name);
    case PictureFormat::Gif:
        return openGif(std::move(bytes), name);
    case PictureFormat::Bmp:
        break;
    }
    return openBmp(std::move(bytes), name);
}

std::string encodePicture(const Image& picture, PictureFormat format)
{
    switch (format) {
    case PictureFormat::Jpeg:
        return encodeJpeg(picture);
    case PictureFormat::Gif:
        return encodeGif(picture);
    case PictureFormat::Bmp:
        break;
    }
    return encodeBmp(picture);
}

std::string readOriginal(const std::filesystem::path& original, PictureFormat format)
{
    const std::string name = original.string();
    platform::FileReader file(original);
    auto refuseSize = [&](std::uint64_t size) {
        throw platform::UserError("The picture " + name + " is too large to process (its file holds " +
                                  std::to_string(size) + " bytes; at most " +
                                  std::to_string(MaxOriginalBytes >> 30) + " GiB).");
    };
    if (file.size() > MaxOriginalBytes)
        refuseSize(file.size());
    std::string bytes;
    file.readUpTo(bytes, HeaderLookBytes);
    if (bytes.size() == HeaderLookBytes)
        checkStart(bytes, file.size(), name, format);
    // A file that grew since it was opened is held to the limit as well.
    file.readUpTo(bytes, MaxOriginalBytes + 1);
    if (bytes.size() > MaxOriginalBytes)
        refuseSize(bytes.size());
    return bytes;
}

BoxPictures makeBoxPictures(std::string bytes, const std::string& name, PictureFormat format,
                            const std::vector<Box>& boxes)
{
    const std::unique_ptr<PictureDecoder> decoder = openPicture(std::move(bytes), name, format);
    BoxPictures made;
    for (const Image& picture : boxPictures(*decoder, name, boxes))
        made.encoded.push_back(encodePicture(picture, format));
    if (!decoder->damage().empty())
        made.warning = "the picture " + name + " is damaged (" + decoder->damage() +
                       "); it was published as far as it could be read";
    return made;
}

Image boxPicture(const std::filesystem::path& original, int boxWidth, int boxHeight)
{
    const PictureFormat format = pictureFormatOf(original);
    const std::unique_ptr<PictureDecoder> decoder =
        openPicture(readOriginal(original, format), original.string(), format);
    return std::move(boxPictures(*decoder, original.string(), {Box{boxWidth, boxHeight}}).front());
}

MadePicture writeTempPicture(const std::string& baseName, PictureFormat format, const std::string& bytes)
{
    MadePicture made{baseName + extensionOf(format), {}};
    made.tempPath = platform::GetTempFolder() / made.fileName;
    platform::writeWholeFile(made.tempPath, bytes, platform::Durability::Unsynced);
    return made;
}

MadePicture MakeBoxImage(const std::filesystem::path& original, const std::string& baseName, int boxWidth,
                         int boxHeight)
{
    const PictureFormat format = pictureFormatOf(original);
    const BoxPictures pictures =
        makeBoxPictures(readOriginal(original, format), original.string(), format, {Box{boxWidth, boxHeight}});
    return writeTempPicture(baseName, format, pictures.encoded.front());
}

}  // namespace pictavo::pictures
