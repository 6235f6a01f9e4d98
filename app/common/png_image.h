#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zk {

// A picture as PNG bytes: 8-bit RGB, rows from the top, left to right, three
// bytes per pixel. The image data is stored uncompressed, which every reader
// takes and which needs no compression library.
std::string encodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace zk
