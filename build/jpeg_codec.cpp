#include "build/jpeg_codec.h"

#include "build/picture_decoder.h"
#include "platform/user_error.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include <jerror.h>

namespace pictavo::build {

namespace {

// What libjpeg may allocate for a picture beyond its rows: the whole-picture
// coefficient buffers of a progressive file, which it needs at any decoding
// scale. 512 MiB holds those of a colour picture at the pixel limit with the
// usual subsampled chroma (3 bytes a pixel), or of about 89 megapixels
// without it (6 bytes a pixel).
constexpr long MaxJpegWorkingMemory = 512L << 20;

// Each scan of a progressive file is a pass over the whole picture, and a
// file may repeat scans without end: a few kilobytes could keep the decoder
// busy for minutes. Encoders write about ten.
constexpr int MaxScans = 100;

// libjpeg's default error_exit ends the process: this one keeps the message
// and jumps back to the setjmp of the plain function that called the codec.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    char firstWarning[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings such as "Premature end of JPEG file" leave a partial picture: the
// first is kept for the user rather than printed. libjpeg counts them in
// num_warnings.
void onMessage(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    if (manager->firstWarning[0] == '\0')
        (*info->err->format_message)(info, manager->firstWarning);
}

void installErrorManager(ErrorManager& manager)
{
    jpeg_std_error(&manager.pub);
    manager.pub.error_exit = onError;
    manager.pub.output_message = onMessage;
    manager.message[0] = '\0';
    manager.firstWarning[0] = '\0';
}

// The functions below hold no C++ objects, so a longjmp out of the codec
// skips no destructor.
struct DecodeSession {
    jpeg_decompress_struct info;
    ErrorManager error;
    jpeg_progress_mgr progress;
    bool created;
};

// libjpeg reports here as it reads a multi-scan file; the jump ends the
// decoding as error_exit would.
void onProgress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number <= MaxScans)
        return;
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->pub.msg_code = 0;
    std::snprintf(manager->message, sizeof manager->message, "it has more than %d scans", MaxScans);
    std::longjmp(manager->jump, 1);
}

bool readHeader(DecodeSession* s, const unsigned char* data, unsigned long size)
{
    s->info.err = &s->error.pub;
    if (setjmp(s->error.jump))
        return false;
    jpeg_create_decompress(&s->info);
    s->created = true;
    s->info.mem->max_memory_to_use = MaxJpegWorkingMemory;
    s->progress.progress_monitor = onProgress;
    s->info.progress = &s->progress;
    jpeg_mem_src(&s->info, data, size);
    jpeg_read_header(&s->info, TRUE);
    return true;
}

bool chooseScale(DecodeSession* s, unsigned int scaleNum, J_COLOR_SPACE outSpace)
{
    if (setjmp(s->error.jump))
        return false;
    s->info.scale_num = scaleNum;
    s->info.scale_denom = 8;
    s->info.out_color_space = outSpace;
    jpeg_calc_output_dimensions(&s->info);
    return true;
}

bool decodeRows(DecodeSession* s, unsigned char* out, std::size_t stride)
{
    if (setjmp(s->error.jump))
        return false;
    jpeg_start_decompress(&s->info);
    while (s->info.output_scanline < s->info.output_height) {
        JSAMPROW row = out + static_cast<std::size_t>(s->info.output_scanline) * stride;
        jpeg_read_scanlines(&s->info, &row, 1);
    }
    jpeg_finish_decompress(&s->info);
    return true;
}

// Encoded bytes go into a buffer this code owns, so that it can be freed
// however the encoding ends.
struct MemoryDestination {
    jpeg_destination_mgr pub;
    unsigned char* buffer;
    std::size_t capacity;
    std::size_t size;
};

void initDestination(j_compress_ptr info)
{
    auto* d = reinterpret_cast<MemoryDestination*>(info->dest);
    d->capacity = 1 << 16;
    d->buffer = static_cast<unsigned char*>(std::malloc(d->capacity));
    if (!d->buffer)
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = d->capacity;
}

boolean growDestination(j_compress_ptr info)
{
    auto* d = reinterpret_cast<MemoryDestination*>(info->dest);
    auto* grown = static_cast<unsigned char*>(std::realloc(d->buffer, d->capacity * 2));
    if (!grown)
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
    d->buffer = grown;
    d->pub.next_output_byte = grown + d->capacity;
    d->pub.free_in_buffer = d->capacity;
    d->capacity *= 2;
    return TRUE;
}

void termDestination(j_compress_ptr info)
{
    auto* d = reinterpret_cast<MemoryDestination*>(info->dest);
    d->size = d->capacity - d->pub.free_in_buffer;
}

struct EncodeSession {
    jpeg_compress_struct info;
    ErrorManager error;
    MemoryDestination destination;
    bool created;
};

bool encodeRows(EncodeSession* s, const unsigned char* rgb, int width, int height)
{
    s->info.err = &s->error.pub;
    if (setjmp(s->error.jump))
        return false;
    jpeg_create_compress(&s->info);
    s->created = true;
    s->destination.pub.init_destination = initDestination;
    s->destination.pub.empty_output_buffer = growDestination;
    s->destination.pub.term_destination = termDestination;
    s->info.dest = &s->destination.pub;
    s->info.image_width = static_cast<JDIMENSION>(width);
    s->info.image_height = static_cast<JDIMENSION>(height);
    s->info.input_components = 3;
    s->info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s->info);
    jpeg_set_quality(&s->info, 90, TRUE);
    jpeg_start_compress(&s->info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    while (s->info.next_scanline < s->info.image_height) {
        auto row = const_cast<JSAMPROW>(rgb + static_cast<std::size_t>(s->info.next_scanline) * stride);
        jpeg_write_scanlines(&s->info, &row, 1);
    }
    jpeg_finish_compress(&s->info);
    return true;
}

class JpegDecoder : public PictureDecoder {
public:
    JpegDecoder(std::string bytes, std::string name) : m_bytes(std::move(bytes)), m_name(std::move(name))
    {
        installErrorManager(m_session.error);
        if (!readHeader(&m_session, reinterpret_cast<const unsigned char*>(m_bytes.data()), m_bytes.size()))
            fail();
        checkPictureSize(m_name, m_session.info.image_width, m_session.info.image_height);
        m_width = static_cast<int>(m_session.info.image_width);
        m_height = static_cast<int>(m_session.info.image_height);
        // A progressive file keeps every block of the picture in memory while
        // it is decoded, however little of it the file holds. Its first scan
        // gives every block at least one bit, so a file shorter than that is
        // cut far too short to be worth that memory.
        if (m_session.info.progressive_mode) {
            std::uint64_t blocks = 0;
            for (int c = 0; c < m_session.info.num_components; ++c)
                blocks += std::uint64_t{m_session.info.comp_info[c].width_in_blocks} *
                          m_session.info.comp_info[c].height_in_blocks;
            if (std::uint64_t{m_bytes.size()} * 8 < blocks)
                throw platform::UserError(unreadablePictureMessage(
                    m_name, "it is far too short for its " + std::to_string(m_width) + " x " +
                                std::to_string(m_height) + " pixels"));
        }
        const J_COLOR_SPACE space = m_session.info.jpeg_color_space;
        m_cmyk = space == JCS_CMYK || space == JCS_YCCK;
    }

    Image decode(int minWidth, int minHeight) override
    {
        // The smallest DCT scale whose picture still covers the size asked for.
        const J_COLOR_SPACE outSpace = m_cmyk ? JCS_CMYK : JCS_RGB;
        unsigned int scale = 1;
        for (; scale < 8; ++scale) {
            if (!chooseScale(&m_session, scale, outSpace))
                fail();
            if (static_cast<int>(m_session.info.output_width) >= minWidth &&
                static_cast<int>(m_session.info.output_height) >= minHeight)
                break;
        }
        if (!chooseScale(&m_session, scale, outSpace))
            fail();
        const int width = static_cast<int>(m_session.info.output_width);
        const int height = static_cast<int>(m_session.info.output_height);
        const int components = m_session.info.output_components;

        std::vector<std::uint8_t> raw(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                                      static_cast<std::size_t>(components));
        if (!decodeRows(&m_session, raw.data(), static_cast<std::size_t>(width) * components))
            fail();
        if (m_session.error.pub.num_warnings > 0)
            m_damage = m_session.error.firstWarning;
        Image image;
        image.width = width;
        image.height = height;
        if (components == 4)
            image.pixels = cmykToRgb(raw, m_session.info.saw_Adobe_marker);
        else
            image.pixels = std::move(raw);
        return image;
    }

private:
    [[noreturn]] void fail() const
    {
        // libjpeg asks for backing store when the memory limit cannot hold
        // its buffers; there is none.
        if (m_session.error.pub.msg_code == JERR_NO_BACKING_STORE)
            throw platform::UserError(tooLargeMessage(m_name, m_width, m_height,
                                                      "decoding it would take more than " +
                                                          std::to_string(MaxJpegWorkingMemory >> 20) + " MiB"));
        throw platform::UserError(unreadablePictureMessage(m_name, m_session.error.message));
    }

    // Adobe writes CMYK inverted (0 is full ink); others write it plainly.
    static std::vector<std::uint8_t> cmykToRgb(const std::vector<std::uint8_t>& cmyk, bool inverted)
    {
        std::vector<std::uint8_t> rgb(cmyk.size() / 4 * 3);
        for (std::size_t i = 0, o = 0; i < cmyk.size(); i += 4, o += 3) {
            unsigned int c = cmyk[i], m = cmyk[i + 1], y = cmyk[i + 2], k = cmyk[i + 3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            rgb[o] = static_cast<std::uint8_t>((c * k + 127) / 255);
            rgb[o + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
            rgb[o + 2] = static_cast<std::uint8_t>((y * k + 127) / 255);
        }
        return rgb;
    }

    // Destroys the codec's state however the decoder ends, also when its
    // constructor throws.
    struct OwnedSession : DecodeSession {
        OwnedSession() : DecodeSession{} {}
        ~OwnedSession()
        {
            if (created)
                jpeg_destroy_decompress(&info);
        }
        OwnedSession(const OwnedSession&) = delete;
        OwnedSession& operator=(const OwnedSession&) = delete;
    };

    std::string m_bytes;
    std::string m_name;
    OwnedSession m_session;
    bool m_cmyk = false;
};

}  // namespace

std::unique_ptr<PictureDecoder> openJpeg(std::string bytes, std::string name)
{
    return std::make_unique<JpegDecoder>(std::move(bytes), std::move(name));
}

std::string encodeJpeg(const Image& image)
{
    EncodeSession session{};
    installErrorManager(session.error);
    const bool done = encodeRows(&session, image.pixels.data(), image.width, image.height);
    std::string bytes;
    if (done)
        bytes.assign(reinterpret_cast<const char*>(session.destination.buffer), session.destination.size);
    if (session.created)
        jpeg_destroy_compress(&session.info);
    std::free(session.destination.buffer);
    if (!done)
        throw platform::UserError("The JPEG picture cannot be written: " + std::string(session.error.message) + ".");
    return bytes;
}

}  // namespace pictavo::build
