#include "JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace {

struct TJpegError
{
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
};

// libjpeg's default ends the process on bad data; this returns to the decoder instead.
[[noreturn]] void LeaveDecoder(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TJpegError*>(info->err)->Jump, 1);
}

void Silent(j_common_ptr) {}

// Only plain C data lives in this frame, so the jump back past libjpeg's frames skips no
// destructor; the image is written through a pointer to the caller's.
bool DecodeInto(const QByteArray& data, QImage* image)
{
    jpeg_decompress_struct info;
    TJpegError error;
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = LeaveDecoder;
    error.Manager.output_message = Silent;
    if (setjmp(error.Jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                    QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data)
{
    QImage image;
    if (data.isEmpty() || !DecodeInto(data, &image))
        return {};
    return image;
}
