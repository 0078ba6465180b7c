#include "platform/jpeg/jpeg_decode.h"

#include <cstring>
#include <new>

#include "platform/jpeg/jpeg_library.h"

namespace tbx::jpeg {
namespace {

// Everything that libjpeg touches lives here, outside the frames that call setjmp, and holds
// no object with a destructor: a jump back skips none.
struct DecodeJob {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_source_mgr src;
    uint8_t* pixels; // new[]
    uint8_t* inks;   // new[]: one row of four-component samples
    uint32_t width, height;
    std::size_t maxBytes;
    jpeg_progress_mgr progress;
    uint8_t* spare; // the caller's, taken as the pixels when its size is theirs
    std::size_t spareBytes;
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// The whole buffer is handed over at the start: a request for more means the data ended
// before the picture did.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
    ERREXIT(cinfo, JERR_INPUT_EOF);
    return FALSE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    if (std::size_t(count) > src->bytes_in_buffer)
        ERREXIT(cinfo, JERR_INPUT_EOF);
    src->next_input_byte += count;
    src->bytes_in_buffer -= std::size_t(count);
}

// width × height × 3 when it is neither 0 nor above the cap.
bool RgbBytes(uint32_t width, uint32_t height, std::size_t maxBytes, std::size_t& bytes) {
    const uint64_t total = uint64_t(width) * height * 3;
    if (total == 0 || total > maxBytes)
        return false;
    bytes = std::size_t(total);
    return true;
}

uint8_t Ink(unsigned sample, unsigned black) {
    return uint8_t((sample * black + 127) / 255);
}

void LimitScans(j_common_ptr common) {
    j_decompress_ptr cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->input_scan_number > kMaxScans)
        ERREXIT(cinfo, JERR_BAD_SCAN_SCRIPT);
}

bool Decode(DecodeJob* job, const uint8_t* bytes, std::size_t size) {
    jpeg_decompress_struct* cinfo = &job->cinfo;
    cinfo->err = InstallErrorManager(job->err);
    if (setjmp(job->err.jump)) {
        jpeg_destroy_decompress(cinfo);
        if (job->pixels != job->spare)
            delete[] job->pixels;
        delete[] job->inks;
        job->pixels = job->inks = nullptr;
        return false;
    }
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = kMaxWorkingMemory;
    job->progress.progress_monitor = LimitScans;
    cinfo->progress = &job->progress;
    job->src.next_input_byte = bytes;
    job->src.bytes_in_buffer = size;
    job->src.init_source = InitSource;
    job->src.fill_input_buffer = FillInputBuffer;
    job->src.skip_input_data = SkipInputData;
    job->src.resync_to_restart = jpeg_resync_to_restart;
    job->src.term_source = TermSource;
    cinfo->src = &job->src;

    jpeg_read_header(cinfo, TRUE);
    const bool inks = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    std::size_t total = 0;
    if (!RgbBytes(cinfo->image_width, cinfo->image_height, job->maxBytes, total))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
    cinfo->out_color_space = inks ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_components != (inks ? 4 : 3) ||
        !RgbBytes(cinfo->output_width, cinfo->output_height, job->maxBytes, total))
        ERREXIT(cinfo, JERR_CONVERSION_NOTIMPL);
    job->pixels = total == job->spareBytes ? job->spare : new (std::nothrow) uint8_t[total];
    if (inks)
        job->inks = new (std::nothrow) uint8_t[std::size_t(cinfo->output_width) * 4];
    if (!job->pixels || (inks && !job->inks))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 2);
    const std::size_t rowBytes = std::size_t(cinfo->output_width) * 3;
    while (cinfo->output_scanline < cinfo->output_height) {
        uint8_t* out = job->pixels + std::size_t(cinfo->output_scanline) * rowBytes;
        JSAMPROW row = inks ? job->inks : out;
        jpeg_read_scanlines(cinfo, &row, 1);
        if (!inks)
            continue;
        for (std::size_t x = 0; x < cinfo->output_width; ++x) {
            const uint8_t* p = job->inks + 4 * x;
            out[3 * x] = Ink(p[0], p[3]);
            out[3 * x + 1] = Ink(p[1], p[3]);
            out[3 * x + 2] = Ink(p[2], p[3]);
        }
    }
    job->width = cinfo->output_width;
    job->height = cinfo->output_height;
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    delete[] job->inks;
    job->inks = nullptr;
    return true;
}

} // namespace

bool DecodeToRgb(const uint8_t* bytes, std::size_t size, std::size_t maxBytes, RgbPixels& out) {
    std::unique_ptr<uint8_t[]> none;
    return DecodeToRgb(bytes, size, maxBytes, out, none, 0);
}

bool DecodeToRgb(const uint8_t* bytes, std::size_t size, std::size_t maxBytes, RgbPixels& out,
                 std::unique_ptr<uint8_t[]>& spare, std::size_t spareBytes) {
    if (!bytes || size == 0)
        return false;
    auto job = std::make_unique<DecodeJob>();
    std::memset(job.get(), 0, sizeof(DecodeJob));
    job->maxBytes = maxBytes;
    job->spare = spare ? spare.get() : nullptr;
    job->spareBytes = spare ? spareBytes : 0;
    if (!Decode(job.get(), bytes, size))
        return false;
    if (job->pixels == job->spare)
        spare.release();
    out.pixels.reset(job->pixels);
    out.width = job->width;
    out.height = job->height;
    return true;
}

} // namespace tbx::jpeg
