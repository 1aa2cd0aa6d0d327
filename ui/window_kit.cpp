#include "window_kit.h"

#include <commctrl.h>
#include <shellapi.h>

#include "control_ids.h"
#include "validation.h"

namespace tw {

namespace {

const wchar_t kWindowProp[] = L"tw.window";

int screen_dpi() {
  static int dpi = 0;
  if (!dpi) {
    HDC dc = GetDC(nullptr);
    dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    if (dpi <= 0) dpi = 96;
  }
  return dpi;
}

LOGFONTW message_logfont() {
  NONCLIENTMETRICSW m = {};
  m.cbSize = sizeof m;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0)) {
    // Systems before Vista know the structure without its last field.
    m.cbSize = UINT(offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth));
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0)) {
      GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof m.lfMessageFont, &m.lfMessageFont);
    }
  }
  return m.lfMessageFont;
}

int CALLBACK note_fixed_face(const LOGFONTW* font, const TEXTMETRICW* metric, DWORD, LPARAM out) {
  // TMPF_FIXED_PITCH set means a variable pitch; '@' faces are vertical.
  if ((metric->tmPitchAndFamily & TMPF_FIXED_PITCH) || font->lfFaceName[0] == L'@') return 1;
  *reinterpret_cast<std::wstring*>(out) = font->lfFaceName;
  return 0;
}

// A fixed-width face with Hangul: Windows' own (GulimChe and its kin), else
// the first one installed (under Wine, for example NanumGothicCoding).
std::wstring hangul_fixed_face() {
  HDC dc = GetDC(nullptr);
  std::wstring face;
  LOGFONTW want = {};
  want.lfCharSet = HANGUL_CHARSET;
  for (const wchar_t* name : {L"GulimChe", L"DotumChe", L"BatangChe", L"GungsuhChe", L""}) {
    lstrcpynW(want.lfFaceName, name, LF_FACESIZE);
    EnumFontFamiliesExW(dc, &want, note_fixed_face, reinterpret_cast<LPARAM>(&face), 0);
    if (!face.empty()) break;
  }
  ReleaseDC(nullptr, dc);
  return face.empty() ? L"GulimChe" : face;
}

struct KindStyle {
  const wchar_t* cls;
  DWORD style;
  DWORD exstyle;
};

KindStyle style_of(Kind kind) {
  const DWORD tab = WS_TABSTOP | WS_GROUP;
  switch (kind) {
    case Kind::kGroup: return {L"BUTTON", BS_GROUPBOX | WS_GROUP, 0};
    case Kind::kLabel: return {L"STATIC", SS_LEFT | SS_NOPREFIX | WS_GROUP, 0};
    case Kind::kRightLabel:
      return {L"STATIC", SS_RIGHT | SS_NOPREFIX | SS_PATHELLIPSIS | WS_GROUP, 0};
    case Kind::kLink: return {L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY | WS_GROUP, 0};
    case Kind::kEdit: return {L"EDIT", ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE};
    case Kind::kButton: return {L"BUTTON", BS_PUSHBUTTON | tab, 0};
    case Kind::kDefButton: return {L"BUTTON", BS_DEFPUSHBUTTON | tab, 0};
    case Kind::kRadio: return {L"BUTTON", BS_AUTORADIOBUTTON | BS_MULTILINE, 0};
    case Kind::kCheck: return {L"BUTTON", BS_AUTOCHECKBOX | BS_MULTILINE | tab, 0};
    case Kind::kWrappedCheck:
      return {L"BUTTON", BS_AUTOCHECKBOX | BS_MULTILINE | BS_TOP | tab, 0};
    case Kind::kProgress: return {PROGRESS_CLASSW, WS_GROUP, 0};
    case Kind::kMemo:
      return {L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | tab,
              WS_EX_CLIENTEDGE};
    case Kind::kList:
      return {WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | tab,
              WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace

Font message_font(bool bold, bool underline) {
  LOGFONTW lf = message_logfont();
  if (bold) lf.lfWeight = FW_BOLD;
  if (underline) lf.lfUnderline = TRUE;
  return Font(CreateFontIndirectW(&lf));
}

Font memo_font() {
  LOGFONTW lf = message_logfont();
  lf.lfWeight = FW_NORMAL;
  lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  if (ui_language() == Language::kKorean) {
    lf.lfCharSet = HANGUL_CHARSET;
    lstrcpynW(lf.lfFaceName, hangul_fixed_face().c_str(), LF_FACESIZE);
  } else {
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, L"Courier New", LF_FACESIZE);
  }
  return Font(CreateFontIndirectW(&lf));
}

int scaled(int pixels) { return MulDiv(pixels, screen_dpi(), 96); }

HWND create_control(HWND parent, const ControlDef& def, HFONT font) {
  KindStyle k = style_of(def.kind);
  HWND h = CreateWindowExW(k.exstyle, k.cls, pick(def.text),
                           WS_CHILD | WS_VISIBLE | k.style, scaled(def.x), scaled(def.y),
                           scaled(def.w), scaled(def.h), parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(def.id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (h && font) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (h && def.kind == Kind::kProgress) SendMessageW(h, PBM_SETRANGE32, 0, 1000);
  return h;
}

void create_controls(HWND parent, const ControlDef* specs, size_t count, HFONT font) {
  for (size_t i = 0; i < count; ++i) {
    HWND h = create_control(parent, specs[i], font);
    // A radio button after any other control starts a group of its own.
    if (h && specs[i].kind == Kind::kRadio && (i == 0 || specs[i - 1].kind != Kind::kRadio))
      SetWindowLongW(h, GWL_STYLE, GetWindowLongW(h, GWL_STYLE) | WS_GROUP);
  }
}

std::wstring window_text(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(size_t(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, &text[0], n + 1);
  text.resize(size_t(n > 0 ? n : 0));
  return text;
}

std::wstring control_text(HWND parent, int id) { return window_text(GetDlgItem(parent, id)); }

void set_control_text(HWND parent, int id, const std::wstring& text) {
  SetWindowTextW(GetDlgItem(parent, id), text.c_str());
}

Window::~Window() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool Window::create(const wchar_t* class_name, const std::wstring& caption, DWORD style, int width,
                    int height, HWND owner) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, class_name, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!RegisterClassExW(&wc)) return false;
  }
  owner_ = owner;
  RECT r = {0, 0, scaled(width), scaled(height)};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
  int w = r.right - r.left, h = r.bottom - r.top;
  RECT area;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  int x = area.left + (area.right - area.left - w) / 2;
  int y = area.top + (area.bottom - area.top - h) / 2;
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, class_name, caption.c_str(), style,
                          x > 0 ? x : 0, y > 0 ? y : 0, w, h, owner, nullptr, instance, this);
  return hwnd_ != nullptr;
}

LRESULT Window::handle(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

LRESULT CALLBACK Window::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = static_cast<Window*>(GetPropW(hwnd, kWindowProp));
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetPropW(hwnd, kWindowProp, self);
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    RemovePropW(hwnd, kWindowProp);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  // The focus goes to a control, never to the frame (the default would).
  if ((msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE && !HIWORD(wp)) || msg == WM_SETFOCUS) {
    self->restore_focus();
    return 0;
  }
  return self->handle(msg, wp, lp);
}

void Window::note_focus() {
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) focus_ = focus;
}

void Window::restore_focus() {
  HWND to = focus_;
  if (!to || !IsChild(hwnd_, to) || !IsWindowEnabled(to) || !IsWindowVisible(to))
    to = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (to) SetFocus(to);
}

int Window::show_modal() {
  modal_ = true;
  ended_ = false;
  result_ = IDCANCEL;
  if (owner_) EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  MSG msg;
  while (!ended_ && hwnd_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    dispatch_with_keys(&msg);
  }
  // The owner takes the activation back before this window goes.
  if (owner_) EnableWindow(owner_, TRUE);
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
  modal_ = false;
  return result_;
}

void Window::end(int result) {
  result_ = result;
  ended_ = true;
  PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the modal loop
}

LRESULT ClosableWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case DM_GETDEFID:
      return MAKELRESULT(kBClose, DC_HASDEFID);
    case WM_COMMAND:
      if (LOWORD(wp) == kBClose || LOWORD(wp) == IDCANCEL) {
        end(IDCANCEL);
      } else {
        on_command(LOWORD(wp));
      }
      return 0;
    case WM_CLOSE:
      end(IDCANCEL);
      return 0;
  }
  return Window::handle(msg, wp, lp);
}

bool ClosableWindow::preview_key(const MSG& msg) {
  // Esc closes the window whichever control has the focus.
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
  end(IDCANCEL);
  return true;
}

bool dispatch_with_keys(MSG* msg) {
  HWND root = msg->hwnd ? GetAncestor(msg->hwnd, GA_ROOT) : nullptr;
  Window* w = root ? static_cast<Window*>(GetPropW(root, kWindowProp)) : nullptr;
  if (w) {
    bool key = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    bool done = (key && w->preview_key(*msg)) || IsDialogMessageW(root, msg);
    if (!done) {
      TranslateMessage(msg);
      DispatchMessageW(msg);
    }
    // The window may be gone once its message is handled.
    if (GetPropW(root, kWindowProp) == w) w->note_focus();
    return true;
  }
  TranslateMessage(msg);
  DispatchMessageW(msg);
  return true;
}

bool pump_pending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));
      return false;
    }
    dispatch_with_keys(&msg);
  }
  return true;
}

bool is_one_of(HWND control, const int* ids, size_t count) {
  if (!control) return false;
  int id = GetDlgCtrlID(control);
  for (size_t i = 0; i < count; ++i)
    if (ids[i] == id) return true;
  return false;
}

bool is_link_cursor_request(HWND parent, WPARAM wp, const int* link_ids, size_t count) {
  HWND under = reinterpret_cast<HWND>(wp);
  if (!under || GetParent(under) != parent || !is_one_of(under, link_ids, count)) return false;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

LRESULT link_colours(HDC dc) {
  SetTextColor(dc, RGB(0, 0, 255));
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void open_link(const std::wstring& text) {
  std::wstring link = trim(text);
  if (link.empty()) return;
  // A failure (result 32 or less) is not reported.
  ShellExecuteW(nullptr, L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace tw
