#include "tests/support/recording_ui.h"

#include <stdexcept>

#include "core/text_encoding.h"

namespace zk::test {

RecordingUi::RecordingUi() {
  // The components of the main window with their design captions.
  const std::pair<const char*, const char*> names[] = {
      {"Label1", "Lisans Yılınız:"},
      {"Label2", "2020"},
      {"Label3", "Mevcut:"},
      {"Label4", "Sunucu:"},
      {"Label5", "ZelvaK"},
      {"Label6", "Mobil"},
      {"Label7", "Yazdırma"},
      {"Label8", "Version:"},
      {"Label9", "Raporlar"},
      {"Label10", "Label10"},
      {"Label11", "Durum:"},
      {"Label12", "DLL'ler"},
      {"Label13", "Label13"},
      {"Label14", "Label14"},
      {"Label15", "Label15"},
      {"Label17", "Label17"},
      {"Label18", "Label18"},
      {"Label19", "Label19"},
      {"Label20", "Label20"},
      {"Label21", "Label21"},
      {"Label22", "Label22"},
      {"Label23", "Label23"},
      {"Label25", "Label25"},
      {"Label26", "Label26"},
      {"Label27", "0"},
      {"BitBtn1", "Otomatik Güncelle"},
      {"BitBtn2", "1- ZelvaK"},
      {"BitBtn3", "2- Mobil"},
      {"BitBtn4", "3- Yazdırma"},
      {"BitBtn5", "4- Raporlar"},
      {"BitBtn7", "5-  DLL"},
      {"BitBtn8", "Yazdır Sil"},
      {"Button1", "1- Kontrol"},
      {"Button2", "2- İndir      "},
      {"Button3", "3- Kopyala"},
      {"Memo1", ""},
      {"ProgressBar", ""},
      {"StatusBar1", ""},
      {"Timer1", ""},
      {"IdHTTP1", ""},
  };
  for (const auto& [name, text] : names) {
    controls_[name].caption = text;
  }
  for (const char* red : {"Label19", "Label21", "Label22", "Label23", "Label25", "Label26"}) {
    controls_[red].color = colors::kRed;
  }
  for (const char* blue : {"Label13", "Label14", "Label15", "Label17", "Label18"}) {
    controls_[blue].color = colors::kBlue;
  }
  memo = {"Memo1"};
}

RecordingUi::Control& RecordingUi::control(const std::string& name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) {
    throw std::logic_error("no control named " + name);
  }
  return it->second;
}

const RecordingUi::Control& RecordingUi::control(const std::string& name) const {
  return const_cast<RecordingUi*>(this)->control(name);
}

void RecordingUi::setCaption(const std::string& name, const std::string& text) {
  control(name).caption = text;
  captionHistory.push_back(name + "=" + text);
  if (name == "Label19") {
    statusHistory.push_back(text);
  }
}

std::string RecordingUi::caption(const std::string& name) const {
  return control(name).caption;
}

std::optional<std::string> RecordingUi::findControl(const std::string& name) const {
  for (const auto& [known, unused] : controls_) {
    if (equalsIgnoringAsciiCase(known, name)) {
      return known;
    }
  }
  return std::nullopt;
}

void RecordingUi::setFontColor(const std::string& name, Rgb color) {
  control(name).color = color;
}
Rgb RecordingUi::fontColor(const std::string& name) const {
  return control(name).color;
}
void RecordingUi::setEnabled(const std::string& name, bool enabled) {
  control(name).enabled = enabled;
}
bool RecordingUi::isEnabled(const std::string& name) const {
  return control(name).enabled;
}

void RecordingUi::click(const std::string& name) {
  control(name);
  auto it = handlers.find(name);
  if (it != handlers.end() && it->second) {
    it->second();
  }
}

void RecordingUi::setStatusPanel(int index, const std::string& text) {
  panels[index] = text;
}
std::string RecordingUi::statusPanel(int index) const {
  return panels[index];
}

void RecordingUi::setProgressMaximum(std::int32_t maximum) {
  progressMax = maximum;
  if (progressPos > progressMax) {
    progressPos = progressMax;
  }
}

void RecordingUi::setProgressPosition(std::int32_t position) {
  progressPos = position < 0 ? 0 : (position > progressMax ? progressMax : position);
}

void RecordingUi::pump() {
  ++pumps;
  if (onPump) {
    onPump();
  }
}

void RecordingUi::messageBox(const std::string& text) {
  messages.push_back(text);
  if (onMessageBox) {
    onMessageBox(text);
  }
}

void RecordingUi::setHourglass(bool on) {
  hourglass = on;
  if (on) {
    ++hourglassOnCount;
  }
}

}  // namespace zk::test
