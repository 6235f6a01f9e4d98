#include "app/common/command_line.h"

namespace zk {
namespace {

CommandLine invalid(std::string error) {
  CommandLine line;
  line.mode = CommandLine::Mode::Invalid;
  line.error = std::move(error);
  return line;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments, bool slashOptions) {
  CommandLine line;
  bool help = false;
  bool check = false;
  bool update = false;
  bool logGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h" || (slashOptions && argument == "/?")) {
      help = true;
    } else if (argument == "--check") {
      check = true;
    } else if (argument == "--update") {
      update = true;
    } else if (argument == "--log" || argument.rfind("--log=", 0) == 0) {
      std::string file;
      if (argument == "--log") {
        if (i + 1 == arguments.size()) {
          return invalid("--log bir dosya adı ister");
        }
        file = arguments[++i];
      } else {
        file = argument.substr(6);
      }
      if (file.empty()) {
        return invalid("--log bir dosya adı ister");
      }
      if (logGiven) {
        return invalid("--log bir kez verilebilir");
      }
      logGiven = true;
      line.logFile = file;
    } else if (!argument.empty() && (argument[0] == '-' || (slashOptions && argument[0] == '/'))) {
      return invalid("bilinmeyen seçenek: " + argument);
    } else {
      return invalid("fazla argüman: " + argument);
    }
  }
  if (help) {
    line.mode = CommandLine::Mode::Help;
  } else if (check && update) {
    return invalid("--check ve --update birlikte kullanılamaz");
  } else if (check) {
    line.mode = CommandLine::Mode::Check;
  } else if (update) {
    line.mode = CommandLine::Mode::Update;
  } else if (logGiven) {
    return invalid("--log yalnızca --check veya --update ile kullanılır");
  }
  return line;
}

std::string helpText(const std::string& name, bool slashOptions) {
  std::string text = "Kullanım: " + name + " [--check | --update] [--log DOSYA]\n";
  text += "\n";
  text += "Seçeneksiz başlatıldığında ZelvaK Güncelleme Merkezi'nin penceresi açılır.\n";
  text += "Seçeneklerle pencere açılmaz; zamanlanmış görevler içindir.\n";
  text += "\n";
  text += "  --check       Kurulu sürümleri sunucudakilerle karşılaştırır ve her modül\n";
  text += "                için bir satır yazar (ad, mevcut, sunucu, \"güncel\" ya da\n";
  text += "                \"güncelleme var\").\n";
  text += "                Çıkış kodu: 0 hepsi güncel, 10 güncelleme var,\n";
  text += "                1 denetim yapılamadı (nedeni yazılır).\n";
  text += "  --update      --check gibi denetler, sonra geride kalan modülleri kimseyi\n";
  text += "                beklemeden otomatik günceller; mesaj kutuları satır olarak\n";
  text += "                yazılır ve Tamam ile kapatılmış sayılır.\n";
  text += "                Çıkış kodu: 0 güncelleme sorunsuz bitti, 1 bir şey başarısız\n";
  text += "                oldu (nedeni yazılır).\n";
  text += "  --log DOSYA   Durum satırlarını, notları ve mesajları yerel zamanla DOSYA'nın\n";
  text += "                sonuna ekler (dosya yoksa oluşturulur). Verilmezse standart\n";
  text += "                hataya yazılır.\n";
  text += "  --help, -h    Bu yardımı gösterir";
  text += slashOptions ? " (/? de olur).\n" : ".\n";
  text += "\n";
  text += "Bilinmeyen bir seçenek ya da fazla bir argüman çıkış kodu 2 ile biter.\n";
  return text;
}

std::string programName(const std::string& executablePath) {
  std::string name = executablePath.substr(executablePath.find_last_of("/\\") + 1);
  name = name.substr(0, name.find('.'));
  return name.empty() ? "guncelleme" : name;
}

}  // namespace zk
