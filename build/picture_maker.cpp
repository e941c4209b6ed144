#include "build/picture_maker.h"

#include "build/bmp_codec.h"
#include "build/box_scaler.h"
#include "build/gif_codec.h"
#include "build/jpeg_codec.h"
#include "build/picture_decoder.h"
#include "model/value_encodings.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "platform/folders.h"
#include "platform/user_error.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace pictavo::build {

namespace {

std::unique_ptr<PictureDecoder> openPicture(const std::filesystem::path& original)
{
    const PictureFormat format = pictureFormatOf(original);
    std::string bytes = platform::readWholeFile(original);
    switch (format) {
    case PictureFormat::Jpeg:
        return openJpeg(std::move(bytes), original.string());
    case PictureFormat::Gif:
        return openGif(std::move(bytes), original.string());
    case PictureFormat::Bmp:
        break;
    }
    return openBmp(std::move(bytes), original.string());
}

}  // namespace

PictureFormat pictureFormatOf(const std::filesystem::path& original)
{
    std::string extension = original.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    const std::string lower = model::lowerCase(extension);
    if (lower == "jpg" || lower == "jpeg")
        return PictureFormat::Jpeg;
    if (lower == "gif")
        return PictureFormat::Gif;
    if (lower == "bmp")
        return PictureFormat::Bmp;
    throw platform::UserError("Unknown picture file extension (." + extension + ")");
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

Image boxPicture(const std::filesystem::path& original, int boxWidth, int boxHeight)
{
    if (boxWidth <= 0 || boxHeight <= 0)
        throw std::invalid_argument("empty box");
    const std::unique_ptr<PictureDecoder> decoder = openPicture(original);
    const BoxGeometry geometry = boxGeometry(decoder->width(), decoder->height(), boxWidth, boxHeight);
    constexpr std::int64_t largest = std::numeric_limits<int>::max();
    if (geometry.intermediateWidth > largest || geometry.intermediateHeight > largest)
        throw platform::UserError("The picture " + original.string() + " cannot be scaled into a box of " +
                                  std::to_string(boxWidth) + " x " + std::to_string(boxHeight) + " pixels.");
    checkPictureSize("box", boxWidth, boxHeight);

    // Decoding needs to cover the intermediate picture, never more than the original.
    const Image source =
        decoder->decode(static_cast<int>(std::min<std::int64_t>(geometry.intermediateWidth, decoder->width())),
                        static_cast<int>(std::min<std::int64_t>(geometry.intermediateHeight, decoder->height())));
    return applyMapping(source, boxMapping(geometry, boxWidth, boxHeight, source.width, source.height));
}

MadePicture MakeBoxImage(const std::filesystem::path& original, const std::string& baseName, int boxWidth,
                         int boxHeight)
{
    const PictureFormat format = pictureFormatOf(original);
    const Image picture = boxPicture(original, boxWidth, boxHeight);
    std::string bytes;
    switch (format) {
    case PictureFormat::Jpeg:
        bytes = encodeJpeg(picture);
        break;
    case PictureFormat::Gif:
        bytes = encodeGif(picture);
        break;
    case PictureFormat::Bmp:
        bytes = encodeBmp(picture);
        break;
    }
    MadePicture made{baseName + extensionOf(format), {}};
    made.tempPath = platform::GetTempFolder() / made.fileName;
    platform::writeWholeFile(made.tempPath, bytes);
    return made;
}

}  // namespace pictavo::build
