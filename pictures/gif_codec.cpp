#include "pictures/gif_codec.h"

#include "pictures/palette_quantiser.h"
#include "pictures/picture_decoder.h"
#include "platform/user_error.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>

namespace pictavo::pictures {

namespace {

struct MemoryInput {
    const std::string* bytes;
    std::size_t position;
    bool ranPastBytes;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int wanted)
{
    auto* input = static_cast<MemoryInput*>(gif->UserData);
    const std::size_t available = input->bytes->size() - input->position;
    const std::size_t n = std::min(available, static_cast<std::size_t>(std::max(wanted, 0)));
    if (n < static_cast<std::size_t>(std::max(wanted, 0)))
        input->ranPastBytes = true;
    std::memcpy(out, input->bytes->data() + input->position, n);
    input->position += n;
    return static_cast<int>(n);
}

int writeToMemory(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data),
                                                     static_cast<std::size_t>(length));
    return length;
}

class GifDecoder : public PictureDecoder {
public:
    // The bytes may be only the first of the file, for a look at its header.
    GifDecoder(std::string bytes, std::string name) : m_bytes(std::move(bytes)), m_name(std::move(name)) {}

    void readHeader()
    {
        int error = 0;
        m_gif = DGifOpen(&m_input, readFromMemory, &error);
        if (!m_gif)
            fail(error);
        // The screen size is declared first; a frame may reach beyond it.
        checkPictureSize(m_name, std::max(m_gif->SWidth, 1), std::max(m_gif->SHeight, 1));
        readUpToFirstPicture();
        const GifImageDesc& frame = m_gif->Image;
        const std::int64_t width = std::max<std::int64_t>(m_gif->SWidth, std::int64_t{frame.Left} + frame.Width);
        const std::int64_t height = std::max<std::int64_t>(m_gif->SHeight, std::int64_t{frame.Top} + frame.Height);
        checkPictureSize(m_name, width, height);
        m_width = static_cast<int>(width);
        m_height = static_cast<int>(height);
    }

    // Whether the header went on past the bytes given.
    bool ranPastBytes() const { return m_input.ranPastBytes; }

    // Only the first frame of an animation is used; what it does not cover,
    // and its transparent colour, come out white. Every line of the frame is
    // decoded, as the data runs, but only the kept ones are looked at.
    Image decodeSelected(const PixelSelection& keep) override
    {
        const GifImageDesc& frame = m_gif->Image;
        const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : m_gif->SColorMap;
        Image image(static_cast<int>(keep.columns.size()), static_cast<int>(keep.rows.size()));
        std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
        const auto firstColumn = std::lower_bound(keep.columns.begin(), keep.columns.end(), frame.Left);
        const auto endColumn = std::lower_bound(firstColumn, keep.columns.end(), frame.Left + frame.Width);

        // Interlaced pictures hold every 8th row from 0, every 8th from 4,
        // every 4th from 2, then every 2nd from 1.
        const int starts[] = {0, 4, 2, 1};
        const int steps[] = {8, 8, 4, 2};
        const int passes = frame.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const int step = frame.Interlace ? steps[pass] : 1;
            for (int y = frame.Interlace ? starts[pass] : 0; y < frame.Height; y += step) {
                if (DGifGetLine(m_gif, line.data(), frame.Width) == GIF_ERROR)
                    fail(m_gif->Error);
                const int keptRow = positionIn(keep.rows, std::int64_t{frame.Top} + y);
                if (keptRow < 0)
                    continue;
                for (auto column = firstColumn; column != endColumn; ++column) {
                    const int index = line[static_cast<std::size_t>(*column - frame.Left)];
                    if (index == m_transparent)
                        continue;
                    image.set(static_cast<int>(column - keep.columns.begin()), keptRow, colour(map, index));
                }
            }
        }
        return image;
    }

private:
    // A picture without any colour map shows its indices as grey levels; an
    // index beyond the map is black.
    static Rgb colour(const ColorMapObject* map, int index)
    {
        if (!map) {
            const auto grey = static_cast<std::uint8_t>(index);
            return Rgb{grey, grey, grey};
        }
        if (index >= map->ColorCount)
            return Rgb{};
        const GifColorType& c = map->Colors[index];
        return Rgb{c.Red, c.Green, c.Blue};
    }

    void readUpToFirstPicture()
    {
        for (;;) {
            GifRecordType type = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(m_gif, &type) == GIF_ERROR)
                fail(m_gif->Error);
            if (type == IMAGE_DESC_RECORD_TYPE) {
                if (DGifGetImageDesc(m_gif) == GIF_ERROR)
                    fail(m_gif->Error);
                return;
            }
            if (type == TERMINATE_RECORD_TYPE)
                throw platform::UserError(unreadablePictureMessage(m_name, "it holds no picture"));
            if (type == EXTENSION_RECORD_TYPE)
                readExtension();
        }
    }

    void readExtension()
    {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(m_gif, &code, &block) == GIF_ERROR)
            fail(m_gif->Error);
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
            m_transparent = (block[1] & 1) ? block[4] : -1;
        while (block) {
            if (DGifGetExtensionNext(m_gif, &block) == GIF_ERROR)
                fail(m_gif->Error);
        }
    }

    [[noreturn]] void fail(int error) const
    {
        const char* text = GifErrorString(error);
        throw platform::UserError(unreadablePictureMessage(m_name, text ? text : "GIF error " + std::to_string(error)));
    }

    std::string m_bytes;
    std::string m_name;
    MemoryInput m_input{&m_bytes, 0, false};
    // Closes the file however the decoder ends, also when its header is refused.
    struct OpenFile {
        GifFileType* gif = nullptr;
        OpenFile() = default;
        OpenFile(const OpenFile&) = delete;
        OpenFile& operator=(const OpenFile&) = delete;
        ~OpenFile()
        {
            int ignored = 0;
            if (gif)
                DGifCloseFile(gif, &ignored);
        }
    } m_file;
    GifFileType*& m_gif = m_file.gif;
    int m_transparent = -1;
};

}  // namespace

std::unique_ptr<PictureDecoder> openGif(std::string bytes, std::string name)
{
    auto decoder = std::make_unique<GifDecoder>(std::move(bytes), std::move(name));
    decoder->readHeader();
    return decoder;
}

// The header's length is not bounded: extensions such as comments come
// before the first frame. fileSize is not needed: no verdict here compares
// anything with the file's length.
void checkGifStart(std::string firstBytes, std::uint64_t, std::string name)
{
    GifDecoder decoder(std::move(firstBytes), std::move(name));
    try {
        decoder.readHeader();
    } catch (const platform::UserError&) {
        if (!decoder.ranPastBytes())
            throw;
    }
}

std::string encodeGif(const Image& image)
{
    const IndexedImage indexed = quantise(image);
    int mapSize = 2;
    while (mapSize < static_cast<int>(indexed.palette.size()))
        mapSize *= 2;
    std::vector<GifColorType> colours(static_cast<std::size_t>(mapSize), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < indexed.palette.size(); ++i)
        colours[i] = GifColorType{indexed.palette[i].red, indexed.palette[i].green, indexed.palette[i].blue};

    std::string bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, writeToMemory, &error);
    if (!gif)
        throw platform::UserError("The GIF picture cannot be written: " + std::string(GifErrorString(error)) + ".");
    ColorMapObject* map = GifMakeMapObject(mapSize, colours.data());
    bool ok = map && EGifPutScreenDesc(gif, image.width, image.height, 8, 0, map) != GIF_ERROR &&
              EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) != GIF_ERROR;
    std::vector<GifPixelType> line;
    for (int y = 0; ok && y < image.height; ++y) {
        const auto* row = indexed.indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width);
        line.assign(row, row + image.width);
        ok = EGifPutLine(gif, line.data(), image.width) != GIF_ERROR;
    }
    if (!ok)
        error = gif->Error;
    GifFreeMapObject(map);
    int closeError = 0;
    if (EGifCloseFile(gif, &closeError) == GIF_ERROR && ok) {
        ok = false;
        error = closeError;
    }
    if (!ok)
        throw platform::UserError("The GIF picture cannot be written: " + std::string(GifErrorString(error)) + ".");
    return bytes;
}

}  // namespace pictavo::pictures
