// JPEG through libjpeg-turbo. Damaged data that libjpeg would only warn
// about (and fill with grey) is refused: a picture half made of filler is
// not the picture the user meant. So is a progressive JPEG of more scans
// than any writer makes: each scan may cover the whole picture again, so a
// small file of many scans would take minutes.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "picture_in/decode.h"

namespace picture_in {
namespace {

// libjpeg's simple progression writes 10 scans, mozjpeg's searched ones
// fewer than 20; Photoshop's at most 5. Each scan of the largest picture we
// take costs about 10 ms.
constexpr int MaxScans = 32;

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Fail(j_common_ptr info) {
    auto* error = reinterpret_cast<ErrorJump*>(info->err);
    info->err->format_message(info, error->message);
    std::longjmp(error->jump, 1);
}

void WarningFails(j_common_ptr info, int level) {
    if (level < 0)
        Fail(info);  // corrupt data; trace messages (level >= 0) pass
}

// libjpeg calls this while it reads the scans, as djpeg's -maxscans does.
void ScanLimit(j_common_ptr common) {
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number <= MaxScans)
        return;
    auto* error = reinterpret_cast<ErrorJump*>(info->err);
    std::snprintf(error->message, sizeof error->message, "more than %d scans", MaxScans);
    std::longjmp(error->jump, 1);
}

// The largest DCT shrink (1, 2, 4 or 8) that keeps the picture at least
// minWidth x minHeight.
unsigned Shrink(const jpeg_decompress_struct& info, const DecodeOptions& options) {
    unsigned shrink = 1;
    while (shrink < 8 && options.minWidth > 0 && options.minHeight > 0 &&
           info.image_width / (shrink * 2) >= static_cast<unsigned>(options.minWidth) &&
           info.image_height / (shrink * 2) >= static_cast<unsigned>(options.minHeight))
        shrink *= 2;
    return shrink;
}

// Adobe writes CMYK inverted; libjpeg hands it over as stored.
Rgb FromCmyk(const JSAMPLE* k) {
    auto channel = [&](int c) { return static_cast<std::uint8_t>((k[c] * k[3] + 127) / 255); };
    return Rgb{channel(0), channel(1), channel(2)};
}

// The jump lands inside this frame, whose locals are not read after it; the
// pixels live in the caller's frame. Returns the cause, or "" when read.
std::string Read(jpeg_decompress_struct& info, ErrorJump& error, std::span<const std::uint8_t> bytes,
                 const DecodeOptions& options, Picture& picture, std::vector<JSAMPLE>& row) {
    if (setjmp(error.jump))
        return std::string("bad JPEG: ") + error.message;
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (std::string refusal = SizeRefusal(info.image_width, info.image_height); !refusal.empty())
        return refusal;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    info.scale_num = 1;
    info.scale_denom = Shrink(info, options);
    jpeg_start_decompress(&info);
    picture.width = static_cast<int>(info.output_width);
    picture.height = static_cast<int>(info.output_height);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    if (cmyk)
        row.resize(static_cast<std::size_t>(picture.width) * 4);
    while (info.output_scanline < info.output_height) {
        const std::size_t y = info.output_scanline;
        Rgb* out = picture.pixels.data() + y * picture.width;
        JSAMPROW target = cmyk ? row.data() : reinterpret_cast<JSAMPROW>(out);
        jpeg_read_scanlines(&info, &target, 1);
        if (cmyk)
            for (int x = 0; x < picture.width; ++x)
                out[x] = FromCmyk(row.data() + 4 * x);
    }
    jpeg_finish_decompress(&info);
    return "";
}

}  // namespace

Decoded DecodeJpeg(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
    jpeg_decompress_struct info{};
    ErrorJump error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = Fail;
    error.manager.emit_message = WarningFails;
    jpeg_create_decompress(&info);
    jpeg_progress_mgr progress{};
    progress.progress_monitor = ScanLimit;
    info.progress = &progress;
    Picture picture;
    std::vector<JSAMPLE> row;
    std::string cause = Read(info, error, bytes, options, picture, row);
    jpeg_destroy_decompress(&info);
    if (!cause.empty())
        return Refused(cause);
    return Decoded{std::move(picture), ""};
}

}  // namespace picture_in
