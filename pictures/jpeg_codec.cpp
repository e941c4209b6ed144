#include "pictures/jpeg_codec.h"

#include "pictures/picture_decoder.h"
#include "platform/user_error.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <jpeglib.h>

#include <jerror.h>

namespace pictavo::pictures {

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

// Decodes whose whole-picture buffers are larger than this take turns, one
// at a time, so that however many workers there are, a progressive file of
// a few hundred kilobytes that makes libjpeg take hundreds of megabytes
// does so alone. Progressive colour pictures of up to 22 megapixels (11
// without subsampled colour) stay below it.
constexpr std::uint64_t TakingTurnsAbove = std::uint64_t{64} << 20;

std::mutex largeDecodes;

// libjpeg's default error_exit ends the process: this one keeps the message
// and jumps back to the setjmp of the plain function that called the codec.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    char firstWarning[JMSG_LENGTH_MAX];
    void (*standardEmit)(j_common_ptr, int);
    // The data ended where libjpeg wanted more: when it was only the first
    // bytes of the file, the rest may hold what it wanted.
    bool ranPastBytes;
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

void onEmit(j_common_ptr info, int level)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        manager->ranPastBytes = true;
    manager->standardEmit(info, level);
}

void installErrorManager(ErrorManager& manager)
{
    jpeg_std_error(&manager.pub);
    manager.pub.error_exit = onError;
    manager.pub.output_message = onMessage;
    manager.standardEmit = manager.pub.emit_message;
    manager.pub.emit_message = onEmit;
    manager.message[0] = '\0';
    manager.firstWarning[0] = '\0';
    manager.ranPastBytes = false;
}

// The functions below hold no C++ objects, so a longjmp out of the codec
// skips no destructor.
struct DecodeSession {
    jpeg_decompress_struct info;
    ErrorManager error;
    jpeg_progress_mgr progress;
    bool created;
    // The file is progressive, or sequential in several scans: libjpeg then
    // keeps the coefficients of the whole picture.
    bool multipleScans;
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

bool openSession(DecodeSession* s, const unsigned char* data, unsigned long size)
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
    s->multipleScans = jpeg_has_multiple_scans(&s->info);
    return true;
}

bool setScale(DecodeSession* s, unsigned int scaleNum, J_COLOR_SPACE outSpace)
{
    if (setjmp(s->error.jump))
        return false;
    s->info.scale_num = scaleNum;
    s->info.scale_denom = 8;
    s->info.out_color_space = outSpace;
    jpeg_calc_output_dimensions(&s->info);
    return true;
}

// Takes each decoded row in turn, between libjpeg's calls: nothing it does
// can jump.
struct RowSink {
    void (*take)(void* context, JDIMENSION y, const JSAMPLE* row);
    void* context;
};

bool decodeRows(DecodeSession* s, JSAMPLE* row, RowSink sink)
{
    if (setjmp(s->error.jump))
        return false;
    jpeg_start_decompress(&s->info);
    while (s->info.output_scanline < s->info.output_height) {
        const JDIMENSION y = s->info.output_scanline;
        jpeg_read_scanlines(&s->info, &row, 1);
        sink.take(sink.context, y, row);
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
    // The bytes may be only the first of a file of fileSize bytes, for a look
    // at its header.
    JpegDecoder(std::string bytes, std::string name, std::uint64_t fileSize)
        : m_bytes(std::move(bytes)), m_name(std::move(name)), m_fileSize(fileSize)
    {
        installErrorManager(m_session.error);
    }

    void readHeader()
    {
        if (!openSession(&m_session, reinterpret_cast<const unsigned char*>(m_bytes.data()), m_bytes.size()))
            fail();
        checkPictureSize(m_name, m_session.info.image_width, m_session.info.image_height);
        m_width = static_cast<int>(m_session.info.image_width);
        m_height = static_cast<int>(m_session.info.image_height);
        // A progressive file keeps every block of the picture in memory while
        // it is decoded, however little of it the file holds. Its first scan
        // gives every block at least one bit, so a file shorter than that is
        // cut far too short to be worth that memory.
        std::uint64_t blocks = 0;
        for (int c = 0; c < m_session.info.num_components; ++c)
            blocks += std::uint64_t{m_session.info.comp_info[c].width_in_blocks} *
                      m_session.info.comp_info[c].height_in_blocks;
        if (m_session.info.progressive_mode && m_fileSize * 8 < blocks)
            throw platform::UserError(unreadablePictureMessage(
                m_name, "it is far too short for its " + std::to_string(m_width) + " x " +
                            std::to_string(m_height) + " pixels"));
        if (m_session.multipleScans)
            m_wholePictureBuffers = blocks * sizeof(JBLOCK);
        const J_COLOR_SPACE space = m_session.info.jpeg_color_space;
        m_cmyk = space == JCS_CMYK || space == JCS_YCCK;
    }

    // Whether the header went on past the bytes given.
    bool ranPastBytes() const { return m_session.error.ranPastBytes; }

    // The smallest DCT scale whose picture still covers the size asked for.
    PictureSize chooseScale(int minWidth, int minHeight) override
    {
        for (m_scale = 1; m_scale < 8; ++m_scale) {
            if (!setScale(&m_session, m_scale, outSpace()))
                fail();
            if (static_cast<int>(m_session.info.output_width) >= minWidth &&
                static_cast<int>(m_session.info.output_height) >= minHeight)
                break;
        }
        if (!setScale(&m_session, m_scale, outSpace()))
            fail();
        return PictureSize{static_cast<int>(m_session.info.output_width),
                           static_cast<int>(m_session.info.output_height)};
    }

    // The rows are decoded one at a time and only the kept pixels of each
    // are held.
    Image decodeSelected(const PixelSelection& keep) override
    {
        if (!setScale(&m_session, m_scale, outSpace()))
            fail();
        Kept kept{&keep, Image(static_cast<int>(keep.columns.size()), static_cast<int>(keep.rows.size())),
                  m_session.info.output_components, m_session.info.saw_Adobe_marker != 0, 0};
        std::vector<JSAMPLE> row(static_cast<std::size_t>(m_session.info.output_width) *
                                 static_cast<std::size_t>(kept.components));
        std::unique_lock<std::mutex> turn(largeDecodes, std::defer_lock);
        if (m_wholePictureBuffers > TakingTurnsAbove)
            turn.lock();
        // A finished decode has freed libjpeg's buffers; a failed one frees
        // them here, before its turn ends.
        if (!decodeRows(&m_session, row.data(), RowSink{takeRow, &kept})) {
            jpeg_abort_decompress(&m_session.info);
            fail();
        }
        if (m_session.error.pub.num_warnings > 0)
            m_damage = m_session.error.firstWarning;
        return std::move(kept.image);
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

    J_COLOR_SPACE outSpace() const { return m_cmyk ? JCS_CMYK : JCS_RGB; }

    struct Kept {
        const PixelSelection* keep;
        Image image;
        int components;
        bool inverted;
        std::size_t nextRow;
    };

    // Rows arrive top to bottom: each kept one is the next of the selection.
    static void takeRow(void* context, JDIMENSION y, const JSAMPLE* row)
    {
        auto* kept = static_cast<Kept*>(context);
        const std::vector<int>& rows = kept->keep->rows;
        if (kept->nextRow == rows.size() || rows[kept->nextRow] != static_cast<int>(y))
            return;
        std::uint8_t* out = kept->image.row(static_cast<int>(kept->nextRow++));
        for (int x : kept->keep->columns) {
            const JSAMPLE* p = row + static_cast<std::size_t>(x) * static_cast<std::size_t>(kept->components);
            if (kept->components == 4) {
                cmykToRgb(p, kept->inverted, out);
            } else {
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
            }
            out += 3;
        }
    }

    // Adobe writes CMYK inverted (0 is full ink); others write it plainly.
    static void cmykToRgb(const JSAMPLE* cmyk, bool inverted, std::uint8_t* rgb)
    {
        unsigned int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[0] = static_cast<std::uint8_t>((c * k + 127) / 255);
        rgb[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        rgb[2] = static_cast<std::uint8_t>((y * k + 127) / 255);
    }

    // Destroys the codec's state however the decoder ends, also when its
    // header is refused.
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
    std::uint64_t m_fileSize = 0;
    OwnedSession m_session;
    bool m_cmyk = false;
    std::uint64_t m_wholePictureBuffers = 0;
    // Eighths of the full size; all of them until a scale is chosen.
    unsigned int m_scale = 8;
};

}  // namespace

std::unique_ptr<PictureDecoder> openJpeg(std::string bytes, std::string name)
{
    const std::uint64_t fileSize = bytes.size();
    auto decoder = std::make_unique<JpegDecoder>(std::move(bytes), std::move(name), fileSize);
    decoder->readHeader();
    return decoder;
}

// Application markers (Exif, ICC profiles) before the frame header may fill
// many kilobytes: a header longer than the bytes given is looked at no further.
void checkJpegStart(std::string firstBytes, std::uint64_t fileSize, std::string name)
{
    JpegDecoder decoder(std::move(firstBytes), std::move(name), fileSize);
    try {
        decoder.readHeader();
    } catch (const platform::UserError&) {
        if (!decoder.ranPastBytes())
            throw;
    }
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

}  // namespace pictavo::pictures
