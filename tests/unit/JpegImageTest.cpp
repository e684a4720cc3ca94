#include "app/JpegImage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/Exception.h"

namespace vimbrel {
namespace {

std::vector<std::uint8_t> ReadBanner() {
  std::ifstream file(VIMBREL_BANNER_PATH, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

TEST(DecodeJpeg, TheBannerIsA600By40ColourPicture) {
  std::vector<std::uint8_t> bytes = ReadBanner();
  ASSERT_FALSE(bytes.empty());
  RgbImage image = DecodeJpeg(bytes.data(), bytes.size());
  EXPECT_EQ(image.width, 600);
  EXPECT_EQ(image.height, 40);
  ASSERT_EQ(image.pixels.size(), 600u * 40u * 3u);
  // Not grey: some pixel differs between its channels.
  bool colour = false;
  for (std::size_t i = 0; i + 2 < image.pixels.size(); i += 3) {
    colour |= image.pixels[i] != image.pixels[i + 2];
  }
  EXPECT_TRUE(colour);
}

TEST(DecodeJpeg, DataThatIsNoJpegRaisesAnError) {
  const std::uint8_t garbage[] = {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
  EXPECT_THROW(DecodeJpeg(garbage, sizeof garbage), Exception);
  EXPECT_THROW(DecodeJpeg(nullptr, 0), Exception);
  std::vector<std::uint8_t> header_only = ReadBanner();
  header_only.resize(20);
  EXPECT_THROW(DecodeJpeg(header_only.data(), header_only.size()), Exception);
}

}  // namespace
}  // namespace vimbrel
