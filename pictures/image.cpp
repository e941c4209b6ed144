#include "pictures/image.h"

#include "platform/user_error.h"

namespace pictavo::pictures {

Image::Image(int w, int h)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3, 255)
{
}

void checkPictureSize(const std::string& name, std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0)
        throw platform::UserError(unreadablePictureMessage(name, "it has no pixels"));
    if (width > MaxPicturePixels / height)
        throw platform::UserError(tooLargeMessage(
            name, width, height, "at most " + std::to_string(MaxPicturePixels / 1'000'000) + " megapixels"));
}

std::string tooLargeMessage(const std::string& name, std::int64_t width, std::int64_t height, const std::string& limit)
{
    return "The picture " + name + " is too large to process (" + std::to_string(width) + " x " +
           std::to_string(height) + " pixels; " + limit + ").";
}

std::string unreadablePictureMessage(const std::string& name, const std::string& reason)
{
    return "The picture " + name + " cannot be read: " + reason + ".";
}

}  // namespace pictavo::pictures
