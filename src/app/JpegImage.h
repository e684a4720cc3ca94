#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vimbrel {

// A decoded picture: rows from the top, 3 bytes per pixel in the order red,
// green, blue.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// Decodes a JPEG through libjpeg's decompression interface. Raises Exception
// for data that is not a readable JPEG.
RgbImage DecodeJpeg(const std::uint8_t* data, std::size_t size);

}  // namespace vimbrel
