#include "message_box.h"

#include <windows.h>

#include <vector>

namespace tw {

namespace {

HWND g_owner = nullptr;

std::wstring utf8_to_wide(const char* s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
  std::wstring w(size_t(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s, -1, &w[0], n);
  w.resize(wcslen(w.c_str()));
  return w;
}

// Windows of this process that stay on top of all others give up that state
// while a box is shown, so that the box cannot end up hidden behind them.
class TopmostPause {
 public:
  TopmostPause() { EnumWindows(collect, reinterpret_cast<LPARAM>(this)); }
  ~TopmostPause() {
    for (HWND w : windows_)
      if (IsWindow(w)) SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, kFlags);
  }
  TopmostPause(const TopmostPause&) = delete;
  TopmostPause& operator=(const TopmostPause&) = delete;

 private:
  static const UINT kFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  static BOOL CALLBACK collect(HWND w, LPARAM self) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(w) &&
        (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, kFlags);
      reinterpret_cast<TopmostPause*>(self)->windows_.push_back(w);
    }
    return TRUE;
  }
  std::vector<HWND> windows_;
};

int show(BoxKind kind, const std::wstring& text, bool no_default) {
  TopmostPause pause;
  return MessageBoxW(g_owner, text.c_str(), utf8_to_wide(message_box_title(kind, ui_language())).c_str(),
                     message_box_flags(kind, no_default));
}

}  // namespace

void set_message_box_owner(HWND owner) { g_owner = owner; }

void show_error(const std::wstring& text) { show(BoxKind::kError, text, false); }
void show_information(const std::wstring& text) { show(BoxKind::kInformation, text, false); }
void show_warning(const std::wstring& text) { show(BoxKind::kWarning, text, false); }

bool ask(const std::wstring& text, bool yes_is_default) {
  return show(BoxKind::kQuestion, text, !yes_is_default) == IDYES;
}

}  // namespace tw
