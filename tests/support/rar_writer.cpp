#include "tests/support/rar_writer.h"

#include <array>
#include <fstream>
#include <stdexcept>

namespace zk::test {
namespace {

constexpr char kSignature[] = {'R', 'a', 'r', '!', '\x1a', '\x07', '\x01', '\x00'};

enum HeaderType : std::uint64_t { kMainHeader = 1, kFileHeader = 2, kEndHeader = 5 };
constexpr std::uint64_t kFlagDataArea = 0x0002;
constexpr std::uint64_t kFlagContinuesInNextVolume = 0x0010;
constexpr std::uint64_t kArchiveIsVolume = 0x0001;
constexpr std::uint64_t kEndNotLastVolume = 0x0001;
constexpr std::uint64_t kFileIsFolder = 0x0001;
constexpr std::uint64_t kFileHasCrc = 0x0004;
constexpr std::uint64_t kWindowsHost = 0;
constexpr std::uint64_t kAttributeFolder = 0x10;
constexpr std::uint64_t kAttributeArchive = 0x20;

const std::array<std::uint32_t, 256>& crcTable() {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) {
        c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      }
      t[i] = c;
    }
    return t;
  }();
  return table;
}

void appendUint32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
}

// A block: CRC32, size of what follows the size field, then the fields.
std::string block(const std::string& fields, bool wrongCrc) {
  std::string sized = rarVint(fields.size()) + fields;
  std::uint32_t crc = rarCrc32(sized.data(), sized.size());
  if (wrongCrc) {
    crc ^= 0x5A5A5A5A;
  }
  std::string out;
  appendUint32(out, crc);
  return out + sized;
}

std::string mainHeader(bool volume) {
  return block(rarVint(kMainHeader) + rarVint(0) + rarVint(volume ? kArchiveIsVolume : 0), false);
}

std::string endHeader(bool lastVolume) {
  return block(rarVint(kEndHeader) + rarVint(0) + rarVint(lastVolume ? 0 : kEndNotLastVolume),
               false);
}

// continues: only the first half of the item's data is in this volume, the
// rest in the next one; its unpacked size and checksum are the whole item's.
std::string fileHeader(const RarItem& item, bool continues = false) {
  const bool hasData = !item.folder && !item.data.empty();
  std::string fields = rarVint(kFileHeader);
  fields += rarVint((hasData ? kFlagDataArea : 0) | (continues ? kFlagContinuesInNextVolume : 0));
  if (hasData) {
    fields += rarVint(continues ? item.data.size() / 2 : item.data.size());
  }
  fields += rarVint(item.folder ? kFileIsFolder : kFileHasCrc);
  fields += rarVint(item.folder ? 0 : item.data.size());
  fields += rarVint(item.folder ? kAttributeFolder : kAttributeArchive);
  if (!item.folder) {
    std::uint32_t crc = rarCrc32(item.data.data(), item.data.size());
    if (item.wrongDataCrc) {
      crc ^= 0xFFFFFFFF;
    }
    appendUint32(fields, crc);
  }
  // Compression information: version 0, method in bits 7..9, smallest dictionary.
  fields += rarVint(static_cast<std::uint64_t>(item.method & 7) << 7);
  fields += rarVint(kWindowsHost);
  fields += rarVint(item.name.size());
  fields += item.name;
  return block(fields, item.wrongHeaderCrc);
}

}  // namespace

std::string rarVint(std::uint64_t value) {
  std::string out;
  do {
    std::uint8_t byte = value & 0x7F;
    value >>= 7;
    if (value != 0) {
      byte |= 0x80;
    }
    out.push_back(static_cast<char>(byte));
  } while (value != 0);
  return out;
}

std::uint32_t rarCrc32(const void* data, std::size_t size, std::uint32_t crc) {
  const auto& table = crcTable();
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  }
  return ~crc;
}

std::string rarArchive(const std::vector<RarItem>& items) {
  std::string out(kSignature, sizeof kSignature);
  out += mainHeader(false);
  for (const RarItem& item : items) {
    out += fileHeader(item);
    if (!item.folder) {
      out += item.data;
    }
  }
  return out + endHeader(true);
}

std::string rarFirstVolume(const std::vector<RarItem>& items, const RarItem& split) {
  std::string out(kSignature, sizeof kSignature);
  out += mainHeader(true);
  for (const RarItem& item : items) {
    out += fileHeader(item);
    if (!item.folder) {
      out += item.data;
    }
  }
  out += fileHeader(split, true) + split.data.substr(0, split.data.size() / 2);
  return out + endHeader(false);
}

void writeRarArchive(const std::string& path, const std::vector<RarItem>& items) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  auto put = [&out](const std::string& bytes) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  };
  put(std::string(kSignature, sizeof kSignature));
  put(mainHeader(false));
  for (const RarItem& item : items) {
    put(fileHeader(item));
    if (!item.folder) {
      put(item.data);
    }
  }
  put(endHeader(true));
  out.close();
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
}

}  // namespace zk::test
