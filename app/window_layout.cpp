#include "app/window_layout.h"

#include <iterator>

namespace zk {
namespace {

using K = ControlKind;
using F = FontFace;
constexpr Rgb kNone{};

// clang-format off
constexpr ControlDesign kDesign[] = {
  // name       kind          caption                 left top  w    h    face            px  bold  colour?          right  tab vis
  {"Label1",  K::Label,       "Lisans Yılınız:",       8,   8,  137, 24, F::Arial,       21, true,  false, kNone,          false, 0, true},
  {"Label2",  K::Label,       "2020",                  156, 8,  48,  24, F::Arial,       21, true,  false, kNone,          false, 0, true},
  {"Label8",  K::Label,       "Version:",              24,  48, 46,  15, F::Arial,       12, true,  false, kNone,          false, 0, true},
  {"Label3",  K::Label,       "Mevcut:",               91,  48, 44,  15, F::Arial,       12, true,  false, kNone,          false, 0, true},
  {"Label4",  K::Label,       "Sunucu:",               152, 48, 46,  15, F::Arial,       12, true,  false, kNone,          false, 0, true},
  {"Label5",  K::Label,       "ZelvaK",                25,  69, 42,  15, F::Arial,       12, true,  false, kNone,          true,  0, true},
  {"Label6",  K::Label,       "Mobil",                 37,  92, 30,  15, F::Arial,       12, true,  false, kNone,          true,  0, true},
  {"Label7",  K::Label,       "Yazdırma",              15,  116, 52, 15, F::Arial,       12, true,  false, kNone,          true,  0, true},
  {"Label9",  K::Label,       "Raporlar",              18,  140, 49, 15, F::Arial,       12, true,  false, kNone,          true,  0, true},
  {"Label12", K::Label,       "DLL'ler",               27,  164, 40, 15, F::Arial,       12, true,  false, kNone,          true,  0, true},
  {"Label13", K::Label,       "Label13",               89,  69, 38,  13, F::MsSansSerif, 11, false, true,  colors::kBlue,  false, 0, true},
  {"Label14", K::Label,       "Label14",               89,  92, 38,  13, F::MsSansSerif, 11, false, true,  colors::kBlue,  false, 0, true},
  {"Label15", K::Label,       "Label15",               89,  116, 38, 13, F::MsSansSerif, 11, false, true,  colors::kBlue,  false, 0, true},
  {"Label17", K::Label,       "Label17",               89,  140, 38, 13, F::MsSansSerif, 11, false, true,  colors::kBlue,  false, 0, true},
  {"Label18", K::Label,       "Label18",               89,  164, 38, 13, F::MsSansSerif, 11, false, true,  colors::kBlue,  false, 0, true},
  {"Label21", K::Label,       "Label21",               152, 69, 38,  13, F::MsSansSerif, 11, false, true,  colors::kRed,   false, 0, true},
  {"Label22", K::Label,       "Label22",               152, 92, 38,  13, F::MsSansSerif, 11, false, true,  colors::kRed,   false, 0, true},
  {"Label23", K::Label,       "Label23",               152, 116, 38, 13, F::MsSansSerif, 11, false, true,  colors::kRed,   false, 0, true},
  {"Label25", K::Label,       "Label25",               152, 140, 38, 13, F::MsSansSerif, 11, false, true,  colors::kRed,   false, 0, true},
  {"Label26", K::Label,       "Label26",               152, 164, 38, 13, F::MsSansSerif, 11, false, true,  colors::kRed,   false, 0, true},
  {"Label11", K::Label,       "Durum:",                24,  224, 34, 13, F::MsSansSerif, 11, false, true,  colors::kGreen, false, 0, true},
  {"Label19", K::Label,       "Label19",               64,  224, 38, 13, F::MsSansSerif, 11, false, true,  colors::kRed,   false, 0, true},
  {"Label20", K::Label,       "Label20",               290, 304, 38, 13, F::MsSansSerif, 11, false, true,  colors::kPurple, false, 0, true},
  {"Label10", K::Label,       "Label10",               354, 304, 38, 13, F::MsSansSerif, 11, false, true,  colors::kPurple, false, 0, true},
  {"Label27", K::Label,       "0",                     387, 595, 8,  13, F::MsSansSerif, 11, true,  true,  colors::kPurple, false, 0, true},
  {"BitBtn1", K::Button,      "Otomatik Güncelle",     216, 16, 185, 57, F::Arial,       19, false, true,  colors::kRed,    false, 12, true},
  {"BitBtn2", K::Button,      "1- ZelvaK",             303, 86, 92,  31, F::Arial,       13, false, true,  colors::kRed,    false, 5, true},
  {"BitBtn3", K::Button,      "2- Mobil",              303, 129, 92, 31, F::Arial,       13, false, true,  colors::kBlue,   false, 6, true},
  {"BitBtn4", K::Button,      "3- Yazdırma",           303, 172, 92, 31, F::Arial,       13, false, true,  colors::kPurple, false, 7, true},
  {"BitBtn5", K::Button,      "4- Raporlar",           303, 215, 92, 31, F::Arial,       13, false, true,  colors::kGreen,  false, 8, true},
  {"BitBtn7", K::Button,      "5-  DLL",               303, 258, 92, 31, F::Arial,       13, false, true,  colors::kMaroon, false, 10, true},
  {"BitBtn8", K::Button,      "Yazdır Sil",            13,  582, 75, 25, F::WindowFont,  11, false, false, kNone,           false, 11, true},
  {"Button1", K::PushButton,  "1- Kontrol",            224, 168, 75, 25, F::WindowFont,  11, false, false, kNone,           false, 1, false},
  {"Button2", K::PushButton,  "2- İndir      ",        224, 200, 75, 25, F::WindowFont,  11, false, false, kNone,           false, 2, false},
  {"Button3", K::PushButton,  "3- Kopyala",            144, 200, 75, 25, F::WindowFont,  11, false, false, kNone,           false, 3, false},
  {"Memo1",   K::Memo,        "Memo1",                 16,  328, 385, 241, F::Arial,     11, false, false, kNone,           false, 9, true},
  {"ProgressBar", K::ProgressBar, "",                  0,   616, 416, 17, F::WindowFont,  11, false, false, kNone,           false, 4, true},
  {"StatusBar1", K::StatusBar, "",                     0,   633, 416, 19, F::WindowFont,  11, false, false, kNone,           false, 0, true},
};
// clang-format on

}  // namespace

std::span<const ControlDesign> windowDesign() {
  return kDesign;
}

int controlId(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kDesign); ++i) {
    if (kDesign[i].name == name) {
      return kFirstControlId + static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace zk
