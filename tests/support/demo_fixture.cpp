#include "tests/support/demo_fixture.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "core/text_encoding.h"
#include "platform/platform_names.h"
#include "tests/support/rar_writer.h"
#include "tests/support/temp_folder.h"
#include "versions/module_catalogue.h"

namespace zk::test {
namespace {

std::string bigEndian32(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) {
    bytes[i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
  }
  return bytes;
}

std::string pngChunk(const std::string& type, const std::string& data) {
  const std::string typed = type + data;
  return bigEndian32(static_cast<std::uint32_t>(data.size())) + typed +
         bigEndian32(rarCrc32(typed.data(), typed.size()));
}

// zlib stream of stored (uncompressed) deflate blocks.
std::string zlibStored(const std::string& data) {
  std::string out = "\x78\x01";
  std::size_t pos = 0;
  do {
    const std::size_t length = std::min<std::size_t>(65535, data.size() - pos);
    const bool last = pos + length == data.size();
    out += static_cast<char>(last ? 1 : 0);
    out += static_cast<char>(length & 0xFF);
    out += static_cast<char>(length >> 8);
    out += static_cast<char>(~length & 0xFF);
    out += static_cast<char>((~length >> 8) & 0xFF);
    out += data.substr(pos, length);
    pos += length;
  } while (pos < data.size());
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (unsigned char c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return out + bigEndian32((b << 16) | a);
}

std::string dllContent(std::string_view name, const char* version) {
  return "ZelvaK demo library " + std::string(name) + " version " + version + "\n";
}

void writeExecutable(const std::string& path, const std::string& bytes) {
  writeFile(path, bytes);
  chmod(path.c_str(), 0755);
}

}  // namespace

std::string demoPng() {
  constexpr int kSide = 64;
  std::string pixels;
  for (int y = 0; y < kSide; ++y) {
    pixels += '\0';  // no filter
    for (int x = 0; x < kSide; ++x) {
      pixels += "\x00\x80\x00";
    }
  }
  const std::string header =
      bigEndian32(kSide) + bigEndian32(kSide) + std::string("\x08\x02\x00\x00\x00", 5);
  return "\x89PNG\r\n\x1a\n" + pngChunk("IHDR", header) + pngChunk("IDAT", zlibStored(pixels)) +
         pngChunk("IEND", "");
}

std::string demoAnnouncement() {
  return utf8ToCp1254(
      "ZelvaK 2027 güncellemeleri yayında.\r\n"
      "Şubat ayı e-Fatura değişiklikleri için lütfen güncelleyiniz.\r\n"
      "Yedeklerinizi almayı unutmayınız: İyi çalışmalar dileriz.\r\n");
}

std::string demoProgram(const std::string& standIn, const std::string& name,
                        const std::string& version) {
  return standIn + "\nZELVAK-DEMO " + name + " " + version + "\n";
}

void writeDemoUpdateServer(const std::string& root, const std::string& standIn,
                           const std::set<std::string>& omit) {
  namespace fs = std::filesystem;
  const std::string year = root + "/" + kDemoYear;
  fs::create_directories(year);
  const auto put = [&](const std::string& folder, const std::string& name,
                       const std::string& bytes) {
    if (omit.count(name) == 0) {
      writeFile(folder + "/" + name, bytes);
    }
  };
  const std::string library =
      std::string(platform::kSystemArchiveLibraryFolder) + "/" + platform::kArchiveLibraryFile;
  put(root, platform::kArchiveLibraryFile, readFile(library));
  put(root, std::string(catalogue::kLogoFile), demoPng());
  for (const DemoVersion& version : kDemoVersions) {
    put(year, version.file, version.server);
  }
  put(year, std::string(catalogue::kExtraServerText), "1");
  put(year, std::string(catalogue::kAnnouncementFile), demoAnnouncement());

  const auto archive = [&](const std::string& name, const std::vector<RarItem>& items) {
    if (omit.count(name) == 0) {
      writeRarArchive(year + "/" + name, items);
    }
  };
  archive("zelvak.rar", {RarItem::file("zelvak.exe", demoProgram(standIn, "zelvak.exe", "12")),
                         RarItem::file("zelvak.chm", "ZelvaK yardım dosyası 12\n")});
  archive("mobil.rar", {RarItem::file("mobil.exe", demoProgram(standIn, "mobil.exe", "8")),
                        RarItem::file("zkbck.exe", demoProgram(standIn, "zkbck.exe", "8"))});
  archive("yazdir.rar", {RarItem::file("yazdir.exe", demoProgram(standIn, "yazdir.exe", "5"))});
  std::vector<RarItem> bundle;
  for (std::string_view name : ModuleCatalogue::dllBundle()) {
    bundle.push_back(RarItem::file(std::string(name),
                                   name == "verdl.txt" ? std::string("4") : dllContent(name, "4")));
  }
  archive("dll.rar", bundle);
  archive("report.rar",
          {RarItem::folderItem("Faturalar"),
           RarItem::file("Faturalar/e-fatura.fr3", "<report name=\"e-Fatura\" v=31/>\n"),
           RarItem::folderItem("Stok"),
           RarItem::file("Stok/stok_listesi.fr3", "<report name=\"Stok\" v=31/>\n"),
           RarItem::file("cari_hesap.fr3", "<report name=\"Cari\" v=31/>\n")});
}

void writeDemoInstallation(const std::string& folder, const std::string& serverAddress,
                           const std::string& databasePath, const std::string& standIn) {
  std::filesystem::create_directories(folder);
  writeFile(folder + "/zkayarlar.ini",
            utf8ToCp1254("; ZelvaK bağlantı ayarları\r\n[BAGLANTI]\r\n"
                         "DB_ADRES=" +
                         databasePath + "\r\n" + "SUNUCU_IP=" + serverAddress + "\r\n"));
  for (const DemoVersion& version : kDemoVersions) {
    writeFile(folder + "/" + version.file, std::string(version.installed) + "\r\n");
  }
  writeFile(folder + "/yazici.exe", "yazıcı sürücüsü\n");
  for (const char* program : {"zelvak.exe", "mobil.exe", "zkbck.exe", "yazdir.exe"}) {
    writeExecutable(folder + "/" + program, demoProgram(standIn, program, "old"));
  }
  for (std::string_view name : ModuleCatalogue::dllBundle()) {
    if (name != "verdl.txt") {
      writeFile(folder + "/" + std::string(name), dllContent(name, "3"));
    }
  }
}

}  // namespace zk::test
