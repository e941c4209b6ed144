#include "pictures/bmp_codec.h"

#include "pictures/picture_decoder.h"
#include "platform/user_error.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace pictavo::pictures {

namespace {

enum Compression : std::uint32_t {
    Uncompressed = 0,
    Rle8 = 1,
    Rle4 = 2,
    BitFields = 3,
    AlphaBitFields = 6,
};

constexpr std::size_t FileHeaderSize = 14;

std::uint16_t u16(const std::string& b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint32_t u32(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(u16(b, at)) | static_cast<std::uint32_t>(u16(b, at + 2)) << 16;
}

// One channel of a bit-field pixel: the masked bits scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t maximum = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m)
    {
        if (!mask)
            return;
        while (!((mask >> shift) & 1))
            ++shift;
        maximum = mask >> shift;
    }
    std::uint8_t value(std::uint32_t pixel) const
    {
        if (!mask)
            return 0;
        return static_cast<std::uint8_t>((std::uint64_t((pixel & mask) >> shift) * 255 + maximum / 2) / maximum);
    }
};

class BmpDecoder : public PictureDecoder {
public:
    // The bytes may be only the first of a file of fileSize bytes, for a look
    // at the headers: they all lie within the first kilobytes.
    BmpDecoder(std::string bytes, std::string name, std::uint64_t fileSize)
        : m_bytes(std::move(bytes)), m_name(std::move(name)), m_fileSize(fileSize)
    {
    }

    Image decodeSelected(const PixelSelection& keep) override
    {
        Image image(static_cast<int>(keep.columns.size()), static_cast<int>(keep.rows.size()));
        if (m_compression == Rle8 || m_compression == Rle4)
            decodeRle(image, keep);
        else
            decodeUncompressed(image, keep);
        return image;
    }

    // Whether the headers went on past the bytes given.
    bool ranPastBytes() const { return m_ranPastBytes; }

    void readHeaders()
    {
        need(FileHeaderSize + 4, "header");
        if (m_bytes[0] != 'B' || m_bytes[1] != 'M')
            fail("it is not a BMP file");
        const std::uint32_t dataOffset = u32(m_bytes, 10);
        const std::uint32_t headerSize = u32(m_bytes, FileHeaderSize);
        const std::size_t h = FileHeaderSize;
        std::int64_t width = 0;
        std::int64_t height = 0;
        std::size_t paletteEntrySize = 4;
        std::uint32_t coloursUsed = 0;
        std::size_t afterHeader = h + headerSize;

        if (headerSize == 12) {  // OS/2 core header
            need(h + 12, "header");
            width = u16(m_bytes, h + 4);
            height = u16(m_bytes, h + 6);
            m_bits = u16(m_bytes, h + 10);
            paletteEntrySize = 3;
        } else if (headerSize >= 16 && headerSize <= 124) {
            need(h + headerSize, "header");
            width = static_cast<std::int32_t>(u32(m_bytes, h + 4));
            height = static_cast<std::int32_t>(u32(m_bytes, h + 8));
            m_bits = u16(m_bytes, h + 14);
            if (headerSize >= 20)
                m_compression = u32(m_bytes, h + 16);
            if (headerSize >= 36)
                coloursUsed = u32(m_bytes, h + 32);
            // OS/2 headers use compressions 3 and 4 for Huffman and RLE24.
            const bool os2 = headerSize < 40 || headerSize == 64;
            if (os2 && m_compression > Rle4)
                fail("OS/2 compression " + std::to_string(m_compression) + " is not supported");
            // Info headers of 52 bytes and more hold the colour masks, those
            // of 56 and more the alpha mask too. The masks that the compression
            // needs and the header does not hold follow it.
            if (m_compression == BitFields || m_compression == AlphaBitFields) {
                const std::size_t held = headerSize >= 56 ? 4 : headerSize >= 52 ? 3 : 0;
                const std::size_t needed = m_compression == AlphaBitFields ? 4 : 3;
                std::uint32_t masks[4] = {};
                for (std::size_t i = 0; i < std::max(held, needed); ++i) {
                    std::size_t at = h + 40 + 4 * i;
                    if (i >= held) {
                        at = afterHeader;
                        afterHeader += 4;
                        need(afterHeader, "colour masks");
                    }
                    masks[i] = u32(m_bytes, at);
                }
                m_red = Channel(masks[0]);
                m_green = Channel(masks[1]);
                m_blue = Channel(masks[2]);
                m_alpha = Channel(masks[3]);
            }
        } else {
            fail("its header of " + std::to_string(headerSize) + " bytes is not a known kind");
        }

        if (height < 0) {
            m_topDown = true;
            height = -height;
        }
        checkPictureSize(m_name, width, height);
        m_width = static_cast<int>(width);
        m_height = static_cast<int>(height);

        const bool bitsFit = m_compression == Uncompressed
                                 ? (m_bits == 1 || m_bits == 4 || m_bits == 8 || m_bits == 16 || m_bits == 24 ||
                                    m_bits == 32)
                             : m_compression == Rle8 ? m_bits == 8
                             : m_compression == Rle4 ? m_bits == 4
                             : (m_compression == BitFields || m_compression == AlphaBitFields)
                                 ? (m_bits == 16 || m_bits == 32)
                                 : false;
        if (m_compression > Rle4 && m_compression != BitFields && m_compression != AlphaBitFields)
            fail("compression " + std::to_string(m_compression) + " is not supported");
        if (!bitsFit)
            fail(std::to_string(m_bits) + " bits per pixel with compression " + std::to_string(m_compression) +
                 " is not a valid combination");

        if (m_compression == Uncompressed && m_bits == 16)
            m_red = Channel(0x7C00), m_green = Channel(0x03E0), m_blue = Channel(0x001F);
        if (m_compression == Uncompressed && m_bits == 32)
            m_red = Channel(0xFF0000), m_green = Channel(0xFF00), m_blue = Channel(0xFF);

        if (m_bits <= 8) {
            std::size_t count = std::size_t{1} << m_bits;
            if (coloursUsed > 0 && coloursUsed < count)
                count = coloursUsed;
            // Palette entries the file does not hold stay black (as do those
            // past the bytes given for a look at the headers: no verdict
            // depends on them).
            m_palette.assign(std::size_t{1} << m_bits, Rgb{});
            for (std::size_t i = 0; i < count; ++i) {
                const std::size_t at = afterHeader + i * paletteEntrySize;
                if (at + 3 > m_bytes.size())
                    break;
                m_palette[i] = Rgb{static_cast<std::uint8_t>(m_bytes[at + 2]), static_cast<std::uint8_t>(m_bytes[at + 1]),
                                   static_cast<std::uint8_t>(m_bytes[at])};
            }
        }

        if (dataOffset >= m_fileSize)
            fail("its pixel data lies outside the file");
        m_data = dataOffset;
        // Checked before the picture is allocated: a few bytes must not cost
        // the memory of the size they declare. Run-length data may end early.
        const bool runLengths = m_compression == Rle8 || m_compression == Rle4;
        if (!runLengths && stride() * std::uint64_t(m_height) > m_fileSize - m_data)
            fail("its pixel data is truncated");
    }

private:
    [[noreturn]] void fail(const std::string& reason) const
    {
        throw platform::UserError(unreadablePictureMessage(m_name, reason));
    }

    void need(std::size_t end, const char* what)
    {
        if (end > m_bytes.size()) {
            m_ranPastBytes = true;
            fail(std::string("the file ends inside its ") + what);
        }
    }

    std::uint64_t stride() const { return (std::uint64_t(m_bits) * std::uint64_t(m_width) + 31) / 32 * 4; }

    // Rows of the file are bottom-up unless the height was negative.
    int imageRow(std::int64_t fileRow) const
    {
        return static_cast<int>(m_topDown ? fileRow : m_height - 1 - fileRow);
    }

    std::uint32_t bitFieldPixel(std::int64_t fileRow, int x) const
    {
        const std::size_t at = m_data + std::size_t(fileRow) * stride();
        return m_bits == 16 ? u16(m_bytes, at + std::size_t(x) * 2) : u32(m_bytes, at + std::size_t(x) * 4);
    }

    // Programs that leave the alpha channel unused write it as zero: such a
    // picture is opaque, as browsers show it. Otherwise alpha counts.
    Channel usedAlpha() const
    {
        if (!m_alpha.mask || (m_bits != 16 && m_bits != 32))
            return Channel();
        for (std::int64_t fileRow = 0; fileRow < m_height; ++fileRow)
            for (int x = 0; x < m_width; ++x)
                if (bitFieldPixel(fileRow, x) & m_alpha.mask)
                    return m_alpha;
        return Channel();
    }

    Rgb bitFieldColour(std::uint32_t pixel, const Channel& alpha) const
    {
        Rgb c{m_red.value(pixel), m_green.value(pixel), m_blue.value(pixel)};
        if (!alpha.mask)
            return c;
        // A translucent pixel is composited on white.
        const unsigned a = alpha.value(pixel);
        auto over = [a](std::uint8_t v) { return static_cast<std::uint8_t>((v * a + 255 * (255 - a) + 127) / 255); };
        return Rgb{over(c.red), over(c.green), over(c.blue)};
    }

    void decodeUncompressed(Image& image, const PixelSelection& keep) const
    {
        const Channel alpha = usedAlpha();
        for (std::size_t j = 0; j < keep.rows.size(); ++j) {
            // The file row of an image row is found as the image row of a file row.
            const std::int64_t fileRow = imageRow(keep.rows[j]);
            const auto* row = reinterpret_cast<const unsigned char*>(m_bytes.data()) + m_data + fileRow * stride();
            std::uint8_t* out = image.row(static_cast<int>(j));
            for (int x : keep.columns) {
                Rgb c;
                switch (m_bits) {
                case 1:
                case 4:
                case 8: {
                    const std::size_t bit = std::size_t(x) * m_bits;
                    const unsigned index = (row[bit / 8] >> (8 - m_bits - bit % 8)) & ((1u << m_bits) - 1);
                    c = m_palette[index];
                    break;
                }
                case 24: {
                    const unsigned char* p = row + std::size_t(x) * 3;
                    c = Rgb{p[2], p[1], p[0]};
                    break;
                }
                default:  // 16 and 32 bits
                    c = bitFieldColour(bitFieldPixel(fileRow, x), alpha);
                    break;
                }
                *out++ = c.red;
                *out++ = c.green;
                *out++ = c.blue;
            }
        }
    }

    // Runs that pass the right edge are cut there, deltas past the picture end
    // it, and data that ends early leaves the rest white. Only the pixels of
    // kept rows and columns are looked at, so a run costs no more than what
    // it puts into the kept picture.
    void decodeRle(Image& image, const PixelSelection& keep) const
    {
        const bool four = m_compression == Rle4;
        std::size_t at = m_data;
        std::int64_t x = 0;
        std::int64_t fileRow = 0;
        int keptRow = positionIn(keep.rows, imageRow(fileRow));
        // Gives count pixels from column x on, pixel i of them palette index indexOf(i).
        auto run = [&](unsigned count, auto indexOf) {
            if (keptRow >= 0)
                for (auto column = std::lower_bound(keep.columns.begin(), keep.columns.end(), x);
                     column != keep.columns.end() && *column < x + count; ++column)
                    image.set(static_cast<int>(column - keep.columns.begin()), keptRow,
                              m_palette[indexOf(static_cast<unsigned>(*column - x))]);
            x += count;
        };
        auto moveDown = [&](std::int64_t rows) {
            fileRow += rows;
            keptRow = fileRow < m_height ? positionIn(keep.rows, imageRow(fileRow)) : -1;
        };
        while (at + 2 <= m_bytes.size() && fileRow < m_height) {
            const unsigned count = static_cast<unsigned char>(m_bytes[at]);
            const unsigned value = static_cast<unsigned char>(m_bytes[at + 1]);
            at += 2;
            if (count > 0) {
                run(count, [&](unsigned i) { return four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value; });
                continue;
            }
            if (value == 0) {  // end of line
                x = 0;
                moveDown(1);
            } else if (value == 1) {  // end of bitmap
                break;
            } else if (value == 2) {  // delta
                if (at + 2 > m_bytes.size())
                    break;
                x += static_cast<unsigned char>(m_bytes[at]);
                moveDown(static_cast<unsigned char>(m_bytes[at + 1]));
                at += 2;
            } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
                const std::size_t bytes = four ? (value + 1) / 2 : value;
                if (at + bytes > m_bytes.size())
                    break;
                run(value, [&](unsigned i) {
                    const unsigned byte = static_cast<unsigned char>(m_bytes[at + (four ? i / 2 : i)]);
                    return four ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte;
                });
                at += bytes + (bytes % 2);
            }
        }
    }

    std::string m_bytes;
    std::string m_name;
    std::uint64_t m_fileSize = 0;
    bool m_ranPastBytes = false;
    unsigned m_bits = 0;
    std::uint32_t m_compression = Uncompressed;
    bool m_topDown = false;
    std::size_t m_data = 0;
    std::vector<Rgb> m_palette;
    Channel m_red, m_green, m_blue, m_alpha;
};

void put16(std::string& out, std::uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

std::unique_ptr<PictureDecoder> openBmp(std::string bytes, std::string name)
{
    const std::uint64_t fileSize = bytes.size();
    auto decoder = std::make_unique<BmpDecoder>(std::move(bytes), std::move(name), fileSize);
    decoder->readHeaders();
    return decoder;
}

void checkBmpStart(std::string firstBytes, std::uint64_t fileSize, std::string name)
{
    BmpDecoder decoder(std::move(firstBytes), std::move(name), fileSize);
    try {
        decoder.readHeaders();
    } catch (const platform::UserError&) {
        if (!decoder.ranPastBytes())
            throw;
    }
}

std::string encodeBmp(const Image& image)
{
    const std::size_t stride = (image.rowBytes() + 3) / 4 * 4;
    const std::size_t dataSize = stride * static_cast<std::size_t>(image.height);
    const std::size_t offset = FileHeaderSize + 40;
    if (dataSize + offset > std::numeric_limits<std::uint32_t>::max())
        throw platform::UserError("The BMP picture cannot be written: it is larger than 4 GiB.");
    std::string out;
    out.reserve(offset + dataSize);
    out += "BM";
    put32(out, static_cast<std::uint32_t>(offset + dataSize));
    put32(out, 0);
    put32(out, static_cast<std::uint32_t>(offset));
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(image.width));
    put32(out, static_cast<std::uint32_t>(image.height));
    put16(out, 1);
    put16(out, 24);
    put32(out, Uncompressed);
    put32(out, static_cast<std::uint32_t>(dataSize));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    std::string row(stride, '\0');
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* p = image.row(y);
        for (int x = 0; x < image.width; ++x, p += 3) {
            row[std::size_t(x) * 3] = static_cast<char>(p[2]);
            row[std::size_t(x) * 3 + 1] = static_cast<char>(p[1]);
            row[std::size_t(x) * 3 + 2] = static_cast<char>(p[0]);
        }
        out += row;
    }
    return out;
}

}  // namespace pictavo::pictures
