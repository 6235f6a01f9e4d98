#include "app/common/png_image.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace zk {
namespace {

std::uint32_t crc32(const std::string& bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> values{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) {
        c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      }
      values[n] = c;
    }
    return values;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  }
  return crc ^ 0xFFFFFFFFu;
}

void appendBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out += static_cast<char>((value >> shift) & 0xFF);
  }
}

void appendChunk(std::string& out, const char* type, const std::string& data) {
  appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  out += typed;
  appendBigEndian(out, crc32(typed));
}

// A zlib stream of stored deflate blocks.
std::string storedZlib(const std::string& raw) {
  std::string out("\x78\x01", 2);
  constexpr std::size_t kBlock = 65535;
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min(kBlock, raw.size() - offset);
    const bool last = offset + length == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    out += static_cast<char>(length & 0xFF);
    out += static_cast<char>(length >> 8);
    out += static_cast<char>(~length & 0xFF);
    out += static_cast<char>((~length >> 8) & 0xFF);
    out.append(raw, offset, length);
    offset += length;
  } while (offset < raw.size());
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  appendBigEndian(out, (b << 16) | a);
  return out;
}

}  // namespace

std::string encodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
  if (width <= 0 || height <= 0 ||
      rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    throw std::invalid_argument("picture size and pixel data do not match");
  }
  std::string header;
  appendBigEndian(header, static_cast<std::uint32_t>(width));
  appendBigEndian(header, static_cast<std::uint32_t>(height));
  header +=
      std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  std::string raw;
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  raw.reserve((stride + 1) * static_cast<std::size_t>(height));
  for (int row = 0; row < height; ++row) {
    raw += '\0';  // filter type: none
    raw.append(reinterpret_cast<const char*>(rgb.data()) + row * stride, stride);
  }
  std::string png("\x89PNG\r\n\x1a\n", 8);
  appendChunk(png, "IHDR", header);
  appendChunk(png, "IDAT", storedZlib(raw));
  appendChunk(png, "IEND", "");
  return png;
}

}  // namespace zk
