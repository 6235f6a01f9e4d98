// The pictures the Windows window saves of itself are written by our own
// PNG writer; an independent reader (the toolkit's) must see the same pixels.

#include <gtest/gtest.h>

#include <QImage>

#include "app/common/png_image.h"

namespace zk {
namespace {

std::vector<std::uint8_t> pattern(int width, int height) {
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      rgb.push_back(static_cast<std::uint8_t>(x * 7 + y));
      rgb.push_back(static_cast<std::uint8_t>(y * 3));
      rgb.push_back(static_cast<std::uint8_t>((x ^ y) & 0xFF));
    }
  }
  return rgb;
}

void expectReadBack(int width, int height) {
  const std::vector<std::uint8_t> rgb = pattern(width, height);
  const std::string png = encodePng(width, height, rgb);
  QImage image;
  ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                 static_cast<int>(png.size()), "PNG"));
  ASSERT_EQ(image.width(), width);
  ASSERT_EQ(image.height(), height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const QRgb pixel = image.pixel(x, y);
      const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
      ASSERT_EQ(qRed(pixel), rgb[at]) << x << "," << y;
      ASSERT_EQ(qGreen(pixel), rgb[at + 1]) << x << "," << y;
      ASSERT_EQ(qBlue(pixel), rgb[at + 2]) << x << "," << y;
    }
  }
}

TEST(PngImage, AReaderSeesEveryPixelOfASmallPicture) {
  expectReadBack(3, 2);
  expectReadBack(1, 1);
}

TEST(PngImage, PicturesLargerThanOneStoredBlockReadBackWhole) {
  // A window picture: far more than the 65535 bytes one stored block holds,
  // with a block boundary inside a row.
  expectReadBack(422, 681);
}

TEST(PngImage, MismatchedSizesAreRefused) {
  EXPECT_THROW(encodePng(2, 2, std::vector<std::uint8_t>(11)), std::invalid_argument);
  EXPECT_THROW(encodePng(0, 1, {}), std::invalid_argument);
}

}  // namespace
}  // namespace zk
