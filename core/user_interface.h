#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zk {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colors {
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kPurple{128, 0, 128};
inline constexpr Rgb kMaroon{128, 0, 0};
}  // namespace colors

// What the program's routines may do to the window. The main window implements
// it with the real widgets; tests implement it with a recorder. All texts are
// UTF-8; control names are the window's object names ("Label13", "BitBtn2").
class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // Captions of labels and buttons; the control repaints at the next pump.
  virtual void setCaption(const std::string& control, const std::string& text) = 0;
  virtual std::string caption(const std::string& control) const = 0;
  // The name of the owned component whose name equals `name` ignoring the case
  // of ASCII letters; nothing when there is none.
  virtual std::optional<std::string> findControl(const std::string& name) const = 0;
  virtual void setFontColor(const std::string& control, Rgb color) = 0;
  virtual Rgb fontColor(const std::string& control) const = 0;
  virtual void setEnabled(const std::string& control, bool enabled) = 0;
  virtual bool isEnabled(const std::string& control) const = 0;
  // Runs the button's click handler at once, enabled or not, visible or not;
  // a failure in the handler passes on to the caller.
  virtual void click(const std::string& control) = 0;

  // The memo. Its text is every line followed by CR LF.
  virtual void memoClear() = 0;
  virtual void memoAddLine(const std::string& line) = 0;
  virtual void setMemoLines(const std::vector<std::string>& lines) = 0;
  virtual std::vector<std::string> memoLines() const = 0;
  std::string memoText() const;
  // Replaces the memo's lines by those of `text` (CR, LF or CR LF end a line).
  void setMemoText(const std::string& text);
  // Saves the whole memo in memoSnapshot, clears it, adds the line and puts
  // the saved text back below it: the newest line stands on top.
  void memoPrepend(const std::string& line);
  // The memo text saved by the last prepend.
  std::string memoSnapshot;

  virtual void setStatusPanel(int index, const std::string& text) = 0;
  virtual std::string statusPanel(int index) const = 0;

  // The download progress bar: 0..maximum, position clamped into range.
  virtual void setProgressMaximum(std::int32_t maximum) = 0;
  virtual std::int32_t progressMaximum() const = 0;
  virtual void setProgressPosition(std::int32_t position) = 0;
  virtual std::int32_t progressPosition() const = 0;
  virtual void repaintProgress() = 0;

  // Dispatches every pending window event, then returns; never waits.
  virtual void pump() = 0;
  // Modal box with the text, one OK button, no icon, the application title.
  virtual void messageBox(const std::string& text) = 0;
  virtual void setHourglass(bool on) = 0;
  virtual void setTimerEnabled(bool enabled) = 0;

  // The status line is the caption of Label19.
  void setStatus(const std::string& text) { setCaption("Label19", text); }
  std::string status() const { return caption("Label19"); }
};

// Turns the hourglass on for the life of the object, also when it ends by a failure.
class HourglassCursor {
 public:
  explicit HourglassCursor(UserInterface& ui) : ui_(ui) { ui_.setHourglass(true); }
  ~HourglassCursor() { ui_.setHourglass(false); }
  HourglassCursor(const HourglassCursor&) = delete;
  HourglassCursor& operator=(const HourglassCursor&) = delete;

 private:
  UserInterface& ui_;
};

// Splits a text into lines at CR, LF or CR LF; a final line end adds no empty line.
std::vector<std::string> splitLines(const std::string& text);

}  // namespace zk
