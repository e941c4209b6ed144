#pragma once

#include "build/image.h"

#include <memory>
#include <string>

namespace pictavo::build {

// An original picture whose header has been read: its size is known before
// any pixel is decoded, so the box geometry can choose the decoding scale.
class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;
    int width() const { return m_width; }
    int height() const { return m_height; }

    // The picture at a size of at least minWidth x minHeight where the format
    // can decode at a reduced scale, else at its full size. Transparent parts
    // come out white.
    virtual Image decode(int minWidth, int minHeight) = 0;

    // After decode: what was wrong with a file that still gave a picture, in
    // the codec's words ("Premature end of JPEG file"); empty when nothing was.
    const std::string& damage() const { return m_damage; }

protected:
    int m_width = 0;
    int m_height = 0;
    std::string m_damage;
};

// Each takes the file's whole content and the name used in messages, and
// reads the header; a file the format rejects, or whose declared size is
// beyond the limit (checkPictureSize), throws a UserError.
std::unique_ptr<PictureDecoder> openJpeg(std::string bytes, std::string name);
std::unique_ptr<PictureDecoder> openGif(std::string bytes, std::string name);
std::unique_ptr<PictureDecoder> openBmp(std::string bytes, std::string name);

}  // namespace pictavo::build
