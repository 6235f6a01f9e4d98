#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zk::test {

// One item of a RAR 5.0 archive as the writer stores it.
struct RarItem {
  // UTF-8, exactly as stored: "/" separates folders; nothing is checked, so
  // "../x", "/abs/x" or "sub\x" go into the archive as given.
  std::string name;
  // The item's bytes; for a compressed item they are stored as if they were
  // the compressed stream (the library cannot decode them either way).
  std::string data;
  bool folder = false;
  // Compression method 0..5; 0 stores the data as it is.
  int method = 0;
  // Writes a data checksum that does not match the data.
  bool wrongDataCrc = false;
  // Writes a header checksum that does not match the item's header.
  bool wrongHeaderCrc = false;

  static RarItem file(std::string name, std::string data) {
    return RarItem{std::move(name), std::move(data)};
  }
  static RarItem folderItem(std::string name) {
    RarItem item{std::move(name), {}};
    item.folder = true;
    return item;
  }
  static RarItem compressed(std::string name, std::string data) {
    RarItem item{std::move(name), std::move(data)};
    item.method = 3;
    return item;
  }
};

// The whole archive: signature, main header, one file header (with its data)
// per item in order, end-of-archive header.
std::string rarArchive(const std::vector<RarItem>& items);

// The first volume of a multi-volume archive: the items, then the first half
// of split, whose rest would be in the next volume.
std::string rarFirstVolume(const std::vector<RarItem>& items, const RarItem& split);

// The same archive written straight to a file (large items are not copied).
void writeRarArchive(const std::string& path, const std::vector<RarItem>& items);

// A RAR 5.0 variable-length integer and the CRC32 the format uses.
std::string rarVint(std::uint64_t value);
std::uint32_t rarCrc32(const void* data, std::size_t size, std::uint32_t crc = 0);

}  // namespace zk::test
