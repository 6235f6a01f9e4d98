#pragma once

#include <span>
#include <string_view>

#include "core/user_interface.h"

namespace zk {

enum class ControlKind { Label, Button, PushButton, Memo, ProgressBar, StatusBar };

enum class FontFace { WindowFont, Arial, MsSansSerif };

// One control of the main window as it is designed: position and size in
// client pixels at 96 dots per inch, font character height in pixels.
struct ControlDesign {
  std::string_view name;
  ControlKind kind;
  std::string_view caption;
  int left;
  int top;
  int width;
  int height;
  FontFace face;
  int fontPixels;
  bool bold;
  // Empty optional: the system's window-text colour.
  bool hasColor;
  Rgb color;
  bool rightAligned;
  // 0: the control takes no part in the tab order.
  int tabOrder;
  bool visible;
};

inline constexpr std::string_view kWindowCaption = "ZelvaK Güncelleme Merkezi 2027.01";
inline constexpr int kClientWidth = 416;
inline constexpr int kClientHeight = 652;
inline constexpr int kStatusPanelWidths[] = {150, 100, 150};

std::span<const ControlDesign> windowDesign();

// The native window's child-window identifier of a control: its place in the
// design table from kFirstControlId on, so tools outside the program find a
// control by name through the same table. -1 for a name not in the table.
inline constexpr int kFirstControlId = 100;
int controlId(std::string_view name);

}  // namespace zk
