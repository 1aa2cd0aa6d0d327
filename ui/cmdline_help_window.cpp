#include "cmdline_help_window.h"

#include "control_ids.h"
#include "window_kit.h"

namespace tw {

namespace {

// The Korean text is kept in code page 949, whatever the system's; the
// English one is ASCII.
std::wstring usage_text(const CarriedResources& carried) {
  bool english = ui_language() == Language::kEnglish && carried.usage_en.size;
  const Blob& usage = english ? carried.usage_en : carried.usage;
  UINT codepage = english ? CP_UTF8 : 949;
  const char* bytes = reinterpret_cast<const char*>(usage.data);
  int n = MultiByteToWideChar(codepage, 0, bytes, int(usage.size), nullptr, 0);
  std::wstring text(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codepage, 0, bytes, int(usage.size), &text[0], n);
  return text;
}

class CmdlineHelpWindow : public ClosableWindow {
 public:
  void run(HWND owner, const CarriedResources& carried) {
    if (!create(L"Tfcmdline", pick({L"명령줄 지원", L"Command-line help"}), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME,
                792, 552, owner))
      return;
    font_ = message_font();
    memo_font_ = memo_font();
    const ControlDef controls[] = {
        {kMCmdLine, Kind::kMemo, 8, 8, 776, 500, {}},
        {kBClose, Kind::kDefButton, 692, 516, 92, 28, {L"닫기", L"Close"}},
    };
    create_controls(hwnd_, controls, 2, font_.get());
    SendDlgItemMessageW(hwnd_, kMCmdLine, WM_SETFONT, WPARAM(memo_font_.get()), FALSE);
    set_control_text(hwnd_, kMCmdLine, usage_text(carried));
    show_modal();
  }

 private:
  Font font_, memo_font_;
};

}  // namespace

void show_cmdline_help(HWND owner, const CarriedResources& carried) {
  CmdlineHelpWindow window;
  window.run(owner, carried);
}

}  // namespace tw
