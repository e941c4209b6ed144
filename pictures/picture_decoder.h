#pragma once

#include "pictures/box_scaler.h"
#include "pictures/image.h"

#include <cstdint>
#include <memory>
#include <string>

namespace pictavo::pictures {

struct PictureSize {
    int width = 0;
    int height = 0;
};

// An original picture whose header has been read: its size is known before
// any pixel is decoded, so the box geometry can choose the decoding scale
// and the pixels the boxes need.
class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;
    int width() const { return m_width; }
    int height() const { return m_height; }

    // Chooses the smallest scale at which the picture still covers minWidth x
    // minHeight where the format can decode at a reduced scale, else the full
    // size, and gives the picture's size at that scale.
    virtual PictureSize chooseScale(int, int) { return PictureSize{m_width, m_height}; }

    // Only the kept columns and rows of the picture at the chosen scale (the
    // full size when none was chosen), in the selection's order, so that
    // memory follows the selection and not the size the file declares.
    // Transparent parts come out white.
    virtual Image decodeSelected(const PixelSelection& keep) = 0;

    // The whole picture at a size of at least minWidth x minHeight where the
    // format can decode at a reduced scale, else at its full size.
    Image decode(int minWidth, int minHeight)
    {
        const PictureSize size = chooseScale(minWidth, minHeight);
        return decodeSelected(wholePicture(size.width, size.height));
    }

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

// Each reads the header from the first bytes of a file of fileSize bytes, so
// that a file is refused before the rest of it is read: it throws the
// UserError that opening the whole file would throw when those bytes already
// show it, and returns when they show a sound header or end before its end.
void checkJpegStart(std::string firstBytes, std::uint64_t fileSize, std::string name);
void checkGifStart(std::string firstBytes, std::uint64_t fileSize, std::string name);
void checkBmpStart(std::string firstBytes, std::uint64_t fileSize, std::string name);

}  // namespace pictavo::pictures
