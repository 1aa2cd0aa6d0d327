#include "cmdline_help_window.h"

#include "control_ids.h"
#include "window_kit.h"

namespace tw {

namespace {

// The carried text is kept in code page 949, whatever the system's.
std::wstring usage_text(const Blob& usage) {
  const char* bytes = reinterpret_cast<const char*>(usage.data);
  int n = MultiByteToWideChar(949, 0, bytes, int(usage.size), nullptr, 0);
  std::wstring text(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(949, 0, bytes, int(usage.size), &text[0], n);
  return text;
}

class CmdlineHelpWindow : public ClosableWindow {
 public:
  void run(HWND owner, const Blob& usage) {
    if (!create(L"Tfcmdline", L"명령줄 지원", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME,
                792, 552, owner))
      return;
    font_ = message_font();
    memo_font_ = named_font(L"Courier New");
    const ControlDef controls[] = {
        {kMCmdLine, Kind::kMemo, 8, 8, 776, 500, nullptr},
        {kBClose, Kind::kDefButton, 692, 516, 92, 28, L"닫기"},
    };
    create_controls(hwnd_, controls, 2, font_.get());
    SendDlgItemMessageW(hwnd_, kMCmdLine, WM_SETFONT, WPARAM(memo_font_.get()), FALSE);
    set_control_text(hwnd_, kMCmdLine, usage_text(usage));
    show_modal();
  }

 private:
  Font font_, memo_font_;
};

}  // namespace

void show_cmdline_help(HWND owner, const Blob& usage) {
  CmdlineHelpWindow window;
  window.run(owner, usage);
}

}  // namespace tw
