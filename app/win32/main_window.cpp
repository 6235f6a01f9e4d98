#include "app/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "app/default_handling.h"
#include "app/dialogs.h"
#include "core/text_encoding.h"
#include "platform/win32/wide_text.h"

namespace zk {
namespace {

using platform::win32::narrow;
using platform::win32::widen;

constexpr UINT_PTR kClockTimer = 1;
constexpr int kIconResource = 1;

COLORREF toColorRef(Rgb color) {
  return RGB(color.red, color.green, color.blue);
}

Rgb fromColorRef(COLORREF color) {
  return Rgb{GetRValue(color), GetGValue(color), GetBValue(color)};
}

const wchar_t* faceName(FontFace face) {
  return face == FontFace::Arial ? L"Arial" : L"MS Sans Serif";
}

int screenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) {
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? dpi : 96;
}

void registerWindowClass() {
  static bool registered = false;
  if (registered) {
    return;
  }
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(kIconResource));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageW(windowClass.hInstance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  if (RegisterClassExW(&windowClass) == 0) {
    throw std::runtime_error("cannot register the main window's class");
  }
  registered = true;
}

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

}  // namespace

TForm1::TForm1(Tdm* dm) : MainForm(dm) {
  dpi_ = screenDpi();
  createWindow();
  createControls();
}

TForm1::~TForm1() {
  if (window_ != nullptr) {
    KillTimer(window_, kClockTimer);
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  for (HFONT font : fonts_) {
    DeleteObject(font);
  }
  if (hourglass_) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  }
}

int TForm1::scaled(int designPixels) const {
  return MulDiv(designPixels, dpi_, 96);
}

void TForm1::createWindow() {
  registerWindowClass();
  RECT frame{0, 0, scaled(kClientWidth), scaled(kClientHeight)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  window_ = CreateWindowExW(0, kMainWindowClass, widen(std::string(kWindowCaption)).c_str(),
                            kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
  if (window_ == nullptr) {
    throw std::runtime_error("cannot create the main window");
  }
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TForm1::windowProcedure));
  // The form's own font, for the controls that take the window font.
  ControlDesign formFont{};
  formFont.face = FontFace::MsSansSerif;
  formFont.fontPixels = 11;
  windowFont_ = fontFor(formFont);
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_), FALSE);
}

HFONT TForm1::fontFor(const ControlDesign& design) {
  // A negative height asks for the character height, as the design gives it.
  HFONT font =
      CreateFontW(-scaled(design.fontPixels), 0, 0, 0, design.bold ? FW_BOLD : FW_NORMAL, FALSE,
                  FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, faceName(design.face));
  fonts_.push_back(font);
  return font;
}

void TForm1::createControls() {
  // Windows moves the focus in creation order, so the controls of the tab
  // order come first, in that order.
  std::vector<const ControlDesign*> order;
  for (const ControlDesign& design : windowDesign()) {
    order.push_back(&design);
  }
  std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
    const int left = a->tabOrder > 0 ? a->tabOrder : 1000;
    const int right = b->tabOrder > 0 ? b->tabOrder : 1000;
    return left < right;
  });
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const ControlDesign* design : order) {
    const std::string name(design->name);
    const std::wstring caption = widen(std::string(design->caption));
    DWORD style = WS_CHILD | (design->visible ? WS_VISIBLE : 0);
    DWORD extended = 0;
    const wchar_t* windowClass = WC_STATICW;
    switch (design->kind) {
      case ControlKind::Label:
        style |= SS_LEFT | SS_NOPREFIX;
        break;
      case ControlKind::Button:
      case ControlKind::PushButton:
        windowClass = WC_BUTTONW;
        // Coloured captions are drawn by the window itself: the system's
        // push button knows no text colour.
        style |= WS_TABSTOP | (design->hasColor ? BS_OWNERDRAW : BS_PUSHBUTTON);
        break;
      case ControlKind::Memo:
        windowClass = WC_EDITW;
        style |= WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::ProgressBar:
        windowClass = PROGRESS_CLASSW;
        style |= PBS_SMOOTH;
        break;
      case ControlKind::StatusBar:
        windowClass = STATUSCLASSNAMEW;
        style |= CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER;
        break;
    }
    const bool takesCaption = design->kind != ControlKind::ProgressBar &&
                              design->kind != ControlKind::StatusBar &&
                              design->kind != ControlKind::Memo;
    HWND child = CreateWindowExW(
        extended, windowClass, takesCaption ? caption.c_str() : L"", style, scaled(design->left),
        scaled(design->top), scaled(design->width), scaled(design->height), window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(design->name))), instance, nullptr);
    if (child == nullptr) {
      throw std::runtime_error("cannot create the control " + name);
    }
    HFONT font = design->face == FontFace::WindowFont ? windowFont_ : fontFor(*design);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Control& entry = controls_[name];
    entry = Control{design, child, takesCaption ? std::string(design->caption) : std::string(),
                    design->color, design->hasColor};
    switch (design->kind) {
      case ControlKind::Label:
        fitLabel(entry);
        break;
      case ControlKind::Memo:
        memo_ = child;
        setMemoLines({std::string(design->caption)});
        break;
      case ControlKind::ProgressBar:
        progressBar_ = child;
        SendMessageW(child, PBM_SETRANGE32, 0, 100);
        SendMessageW(child, PBM_SETSTEP, 1, 0);
        SendMessageW(child, PBM_SETPOS, 0, 0);
        break;
      case ControlKind::StatusBar: {
        statusBar_ = child;
        int edges[3];
        int right = 0;
        for (int i = 0; i < 3; ++i) {
          right += kStatusPanelWidths[i];
          edges[i] = scaled(right);
        }
        SendMessageW(child, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
        break;
      }
      default:
        break;
    }
  }
}

// A label sizes itself to its caption; a right-aligned one keeps its right edge.
void TForm1::fitLabel(Control& entry) {
  const std::wstring text = widen(entry.caption);
  HDC dc = GetDC(entry.window);
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(entry.window, WM_GETFONT, 0, 0)));
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, previous);
  ReleaseDC(entry.window, dc);
  const ControlDesign& design = *entry.design;
  const int left =
      design.rightAligned ? scaled(design.left + design.width) - size.cx : scaled(design.left);
  SetWindowPos(entry.window, nullptr, left, scaled(design.top), size.cx, metrics.tmHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(entry.window, nullptr, TRUE);
}

TForm1::Control& TForm1::control(const std::string& name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) {
    throw std::logic_error("no control named " + name);
  }
  return it->second;
}

const TForm1::Control& TForm1::control(const std::string& name) const {
  auto it = controls_.find(name);
  if (it == controls_.end()) {
    throw std::logic_error("no control named " + name);
  }
  return it->second;
}

const TForm1::Control* TForm1::controlWithWindow(HWND window) const {
  for (const auto& [name, entry] : controls_) {
    if (entry.window == window) {
      return &entry;
    }
  }
  return nullptr;
}

HWND TForm1::controlHandle(const std::string& name) const {
  return control(name).window;
}

void TForm1::setCaption(const std::string& name, const std::string& text) {
  Control& entry = control(name);
  entry.caption = text;
  SetWindowTextW(entry.window, widen(text).c_str());
  if (entry.design->kind == ControlKind::Label) {
    fitLabel(entry);
  }
}

std::string TForm1::caption(const std::string& name) const {
  return control(name).caption;
}

void TForm1::setFontColor(const std::string& name, Rgb color) {
  Control& entry = control(name);
  entry.color = color;
  entry.hasColor = true;
  InvalidateRect(entry.window, nullptr, TRUE);
}

Rgb TForm1::fontColor(const std::string& name) const {
  const Control& entry = control(name);
  return entry.hasColor ? entry.color : fromColorRef(GetSysColor(COLOR_WINDOWTEXT));
}

void TForm1::setEnabled(const std::string& name, bool enabled) {
  EnableWindow(control(name).window, enabled ? TRUE : FALSE);
}

bool TForm1::isEnabled(const std::string& name) const {
  return IsWindowEnabled(control(name).window) != FALSE;
}

void TForm1::click(const std::string& name) {
  control(name);
  runClickHandler(name);
}

void TForm1::renderMemo() {
  const std::vector<std::string> lines = memoLines();
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += (i > 0 ? "\r\n" : "") + lines[i];
  }
  SetWindowTextW(memo_, widen(text).c_str());
}

void TForm1::setStatusPanel(int index, const std::string& text) {
  panels_[index] = text;
  SendMessageW(statusBar_, SB_SETTEXTW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(widen(text).c_str()));
}

std::string TForm1::statusPanel(int index) const {
  return panels_[index];
}

void TForm1::renderProgress() {
  SendMessageW(progressBar_, PBM_SETRANGE32, 0, progressMaximum() > 0 ? progressMaximum() : 1);
  SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(progressPosition()), 0);
}

void TForm1::repaintProgress() {
  RedrawWindow(progressBar_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TForm1::dispatch(MSG& message) {
  if (IsDialogMessageW(window_, &message) == FALSE) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TForm1::pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    if (message.message == WM_QUIT) {
      // Only marks the end: the main loop ends once control is back in it.
      quitRequested_ = true;
      continue;
    }
    dispatch(message);
  }
}

int TForm1::runMessageLoop() {
  MSG message;
  while (!quitRequested_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      quitRequested_ = true;
      break;
    }
    dispatch(message);
  }
  return exitCode_;
}

void TForm1::requestEnd(int exitCode) {
  if (!quitRequested_) {
    exitCode_ = exitCode;
  }
  quitRequested_ = true;
  PostQuitMessage(exitCode);
}

void TForm1::messageBox(const std::string& text) {
  showMessageBox(text);
}

void TForm1::setHourglass(bool on) {
  hourglass_ = on;
  SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

void TForm1::setTimerEnabled(bool enabled) {
  if (enabled) {
    SetTimer(window_, kClockTimer, 1000, nullptr);
  } else {
    KillTimer(window_, kClockTimer);
  }
}

void TForm1::showCentred() {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT frame{};
  GetWindowRect(window_, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

void TForm1::userClick(const std::string& name) {
  if (userClicksIgnored()) {
    return;
  }
  BusyScope busy(*this);
  if (auto code = runWithDefaultHandling([this, &name] { click(name); })) {
    requestEnd(*code);
  }
}

void TForm1::timerTick() {
  if (auto code = runWithDefaultHandling([this] { Timer1Timer(); })) {
    requestEnd(*code);
  }
}

void TForm1::drawButton(const DRAWITEMSTRUCT& item) {
  const Control* entry = controlWithWindow(item.hwndItem);
  if (entry == nullptr) {
    return;
  }
  HDC dc = item.hDC;
  RECT area = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  DrawFrameControl(dc, &area, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  const std::wstring text = widen(entry->caption);
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  RECT textArea = area;
  if (pressed) {
    OffsetRect(&textArea, 1, 1);
  }
  constexpr UINT kFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
  if (disabled) {
    // Greyed as the system greys a caption: a light copy below right.
    RECT shadow = textArea;
    OffsetRect(&shadow, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shadow, kFormat);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  } else {
    SetTextColor(dc, entry->hasColor ? toColorRef(entry->color) : GetSysColor(COLOR_BTNTEXT));
  }
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea, kFormat);
  SelectObject(dc, previous);
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus = area;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

LRESULT CALLBACK TForm1::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // Handlers run under the default handling; nothing else may let a failure
  // unwind through the system's code.
  try {
    return form->handleMessage(message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT TForm1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
        // A disabled button is not clickable by the user, also not through a
        // click message that another program sends it.
        const HWND button = reinterpret_cast<HWND>(lParam);
        const Control* entry = controlWithWindow(button);
        if (entry != nullptr && IsWindowEnabled(button) != FALSE) {
          userClick(std::string(entry->design->name));
        }
        return 0;
      }
      break;
    case WM_TIMER:
      if (wParam == kClockTimer) {
        timerTick();
        return 0;
      }
      break;
    case WM_DRAWITEM:
      drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const HWND child = reinterpret_cast<HWND>(lParam);
      // The read-only memo keeps the white of an edit box.
      const int background = child == memo_ ? COLOR_WINDOW : COLOR_BTNFACE;
      const Control* entry = controlWithWindow(child);
      SetTextColor(dc, entry != nullptr && entry->hasColor ? toColorRef(entry->color)
                                                           : GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(background));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
    }
    case WM_SETCURSOR:
      if (hourglass_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      // The window stays until the loop has ended.
      requestEnd(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace zk
