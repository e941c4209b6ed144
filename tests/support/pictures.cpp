#include "support/pictures.h"

#include "pictures/picture_decoder.h"
#include "platform/file_reader.h"

#include <cstdio>
#include <cstdlib>
#include <gif_lib.h>
#include <jpeglib.h>
#include <stdexcept>

namespace pictavo::test {

using pictures::Image;
using pictures::Rgb;

Image coordinatePicture(int width, int height)
{
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.set(x, y, Rgb{static_cast<std::uint8_t>(x & 0xFF), static_cast<std::uint8_t>(y & 0xFF),
                                static_cast<std::uint8_t>(((x >> 8) & 0xF) << 4 | ((y >> 8) & 0xF))});
    return image;
}

int columnOf(Rgb c) { return c.red | (c.blue >> 4) << 8; }
int rowOf(Rgb c) { return c.green | (c.blue & 0xF) << 8; }

std::set<int> columnsIn(const Image& image)
{
    std::set<int> columns;
    for (int x = 0; x < image.width; ++x)
        columns.insert(columnOf(image.at(x, 0)));
    return columns;
}

std::set<int> rowsIn(const Image& image)
{
    std::set<int> rows;
    for (int y = 0; y < image.height; ++y)
        rows.insert(rowOf(image.at(0, y)));
    return rows;
}

Image flatPicture(int width, int height, Rgb colour)
{
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.set(x, y, colour);
    return image;
}

void put16(std::string& out, std::uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

std::string bmpFile(const BmpLayout& layout)
{
    std::string header;
    put32(header, layout.headerSize);
    if (layout.headerSize == 12) {
        put16(header, static_cast<std::uint32_t>(layout.width));
        put16(header, static_cast<std::uint32_t>(layout.height));
        put16(header, 1);
        put16(header, static_cast<std::uint32_t>(layout.bits));
    } else {
        put32(header, static_cast<std::uint32_t>(layout.width));
        put32(header, static_cast<std::uint32_t>(layout.height));
        put16(header, 1);
        put16(header, static_cast<std::uint32_t>(layout.bits));
        put32(header, layout.compression);
        put32(header, static_cast<std::uint32_t>(layout.data.size()));
        put32(header, 2835);
        put32(header, 2835);
        put32(header, layout.coloursUsed);
        put32(header, 0);
        for (std::uint32_t mask : layout.masks)
            put32(header, mask);
        header.resize(layout.headerSize, '\0');
    }
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + header.size() + layout.extra.size());
    std::string file = "BM";
    put32(file, static_cast<std::uint32_t>(offset + layout.data.size()));
    put32(file, 0);
    put32(file, offset);
    return file + header + layout.extra + layout.data;
}

void writeJpeg(const std::filesystem::path& path, const Image& image, JpegKind kind)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    const int components = kind == JpegKind::Grey ? 1 : kind == JpegKind::AdobeCmyk ? 4 : 3;
    info.input_components = components;
    info.in_color_space = kind == JpegKind::Grey ? JCS_GRAYSCALE : kind == JpegKind::AdobeCmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (kind == JpegKind::Progressive)
        jpeg_simple_progression(&info);
    // libjpeg writes an Adobe marker with CMYK, whose ink values are inverted.
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(components));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb c = image.at(x, y);
            JSAMPLE* p = &row[static_cast<std::size_t>(x) * static_cast<std::size_t>(components)];
            if (kind == JpegKind::Grey) {
                p[0] = c.green;
            } else if (kind == JpegKind::AdobeCmyk) {
                p[0] = c.red;  // inverted C with K full: red = C * K / 255
                p[1] = c.green;
                p[2] = c.blue;
                p[3] = 255;
            } else {
                p[0] = c.red;
                p[1] = c.green;
                p[2] = c.blue;
            }
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

std::string progressiveJpegDeclaring(int width, int height, bool fullChroma)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 16;
    info.image_height = 16;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    if (fullChroma)
        info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(16 * 3, 128);
    for (int y = 0; y < 16; ++y) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    // The progressive frame header: marker, length, precision, height, width.
    const std::size_t frame = bytes.find("\xFF\xC2");
    if (frame == std::string::npos)
        throw std::logic_error("no progressive frame header");
    bytes[frame + 5] = static_cast<char>(height >> 8);
    bytes[frame + 6] = static_cast<char>(height & 0xFF);
    bytes[frame + 7] = static_cast<char>(width >> 8);
    bytes[frame + 8] = static_cast<char>(width & 0xFF);
    return bytes;
}

void writeGif(const std::filesystem::path& path, int screenWidth, int screenHeight,
              const std::vector<Rgb>& globalColours, const std::vector<GifFrame>& frames)
{
    auto makeMap = [](const std::vector<Rgb>& colours) -> ColorMapObject* {
        if (colours.empty())
            return nullptr;
        int size = 2;
        while (size < static_cast<int>(colours.size()))
            size *= 2;
        std::vector<GifColorType> entries(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
        for (std::size_t i = 0; i < colours.size(); ++i)
            entries[i] = GifColorType{colours[i].red, colours[i].green, colours[i].blue};
        return GifMakeMapObject(size, entries.data());
    };
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif)
        throw std::runtime_error("cannot write " + path.string());
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = makeMap(globalColours);
    EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, global);
    for (const GifFrame& frame : frames) {
        if (frame.transparentIndex >= 0) {
            const GifByteType control[] = {1, 0, 0, static_cast<GifByteType>(frame.transparentIndex)};
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
        }
        ColorMapObject* local = makeMap(frame.localColours);
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, local);
        std::vector<GifPixelType> line(static_cast<std::size_t>(frame.width));
        const int starts[] = {0, 4, 2, 1};
        const int steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (frame.interlaced ? 4 : 1); ++pass)
            for (int y = frame.interlaced ? starts[pass] : 0; y < frame.height; y += frame.interlaced ? steps[pass] : 1) {
                for (int x = 0; x < frame.width; ++x)
                    line[static_cast<std::size_t>(x)] = frame.indices[static_cast<std::size_t>(y * frame.width + x)];
                EGifPutLine(gif, line.data(), frame.width);
            }
        GifFreeMapObject(local);
    }
    GifFreeMapObject(global);
    EGifCloseFile(gif, &error);
}

std::string gifDeclaring(int screenWidth, int screenHeight, int left, int top, int width, int height)
{
    std::string bytes = "GIF89a";
    put16(bytes, static_cast<std::uint32_t>(screenWidth));
    put16(bytes, static_cast<std::uint32_t>(screenHeight));
    bytes += std::string("\0\0\0,", 4);  // no colour map, then the frame
    for (int value : {left, top, width, height})
        put16(bytes, static_cast<std::uint32_t>(value));
    return bytes + std::string("\0\x02\x02\x44\x01\0;", 7);
}

Image decodeFile(const std::filesystem::path& path)
{
    std::string bytes = platform::readWholeFile(path);
    const std::string extension = path.extension().string();
    std::unique_ptr<pictures::PictureDecoder> decoder =
        extension == ".jpg" ? pictures::openJpeg(std::move(bytes), path.string())
        : extension == ".gif" ? pictures::openGif(std::move(bytes), path.string())
                              : pictures::openBmp(std::move(bytes), path.string());
    return decoder->decode(decoder->width(), decoder->height());
}

}  // namespace pictavo::test
