#include "app/JpegImage.h"

#include <csetjmp>
#include <cstdio>

#include "platform/Exception.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace vimbrel {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return; it
// jumps back to the decoder, which then raises an ordinary error.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void ExitWithJump(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

// Plain C state only between setjmp and longjmp, so that no destructor is
// skipped. Returns false when libjpeg gave up.
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, const std::uint8_t* data,
            std::size_t size, RgbImage& image) {
  if (setjmp(errors.jump) != 0) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  image.width = static_cast<int>(info.output_width);
  image.height = static_cast<int>(info.output_height);
  const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
  image.pixels.resize(stride * static_cast<std::size_t>(image.height));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.pixels.data() + stride * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

RgbImage DecodeJpeg(const std::uint8_t* data, std::size_t size) {
  RgbImage image;
  if (data == nullptr || size == 0) throw Exception("JPEG: no data");
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = ExitWithJump;
  errors.base.output_message = IgnoreMessage;
  bool decoded = Decode(info, errors, data, size, image);
  jpeg_destroy_decompress(&info);
  if (!decoded) throw Exception("JPEG: the picture cannot be decoded");
  return image;
}

}  // namespace vimbrel
