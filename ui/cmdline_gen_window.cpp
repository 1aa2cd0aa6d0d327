#include "cmdline_gen_window.h"

#include "cmdline_gen.h"
#include "window_kit.h"

namespace tw {

namespace {

CmdlineGenState generator_state(const MainState& s, const std::wstring& tool_path) {
  auto c = [&s](int id) { return ControlState{s.enabled_of(id), s.checked_of(id)}; };
  CmdlineGenState g;
  g.tool_path = tool_path;
  g.rbiconcustom = c(kRbIconCustom);
  g.rbopenfolder = c(kRbOpenFolder), g.rbexecutefile = c(kRbExecuteFile);
  g.rbtemp = c(kRbTemp), g.rbdesktop = c(kRbDesktop), g.rbdocuments = c(kRbDocuments);
  g.rbcurrent = c(kRbCurrent), g.rbselect = c(kRbSelect), g.rbcustom = c(kRbCustom);
  g.cbopenfolder = c(kCbOpenFolder);
  g.rbwdextraction = c(kRbWdExtraction), g.rbwdsource = c(kRbWdSource);
  g.rbwdcurrent = c(kRbWdCurrent);
  g.rbdmimmediately = c(kRbDmImmediately), g.rbdmonreboot = c(kRbDmOnReboot);
  g.rbdmdonotdelete = c(kRbDmDoNotDelete);
  g.cboneinstance = c(kCbOneInstance), g.cbsilent = c(kCbSilent);
  g.cbselfdelete = c(kCbSelfDelete);
  g.rbuacnone = c(kRbUacNone), g.rbuachighest = c(kRbUacHighest);
  g.rbuacadministrator = c(kRbUacAdministrator);
  g.rbomprompt = c(kRbOmPrompt), g.rbomoverwrite = c(kRbOmOverwrite), g.rbomskip = c(kRbOmSkip);
  g.esource = s.text_of(kESource), g.etarget = s.text_of(kETarget);
  g.eicon = s.text_of(kEIcon), g.eexecutablefile = s.text_of(kEExecutableFile);
  g.ecustomdir = s.text_of(kECustomDir), g.ecmdparameters = s.text_of(kECmdParameters);
  g.ecmdparameters_enabled = s.enabled_of(kECmdParameters);
  return g;
}

std::wstring own_path() {
  std::wstring path(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
  path.resize(n);
  return path;
}

class CmdlineGenWindow : public ClosableWindow {
 public:
  void run(HWND owner, const MainState& state) {
    if (!create(L"Tfcmdlinegen",
                pick({L"현재 UI 옵션에서 생성된 명령줄 매개변수",
                      L"Command line made from the current options"}),
                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME, 784, 128, owner))
      return;
    font_ = message_font();
    memo_font_ = memo_font();
    // The line is shown as a batch file holds it (cmd would expand a
    // %VARIABLE% of the line itself): the label says so.
    const ControlDef controls[] = {
        {kMCmdLine, Kind::kMemo, 8, 8, 768, 76, {}},
        {kLForm, Kind::kLabel, 8, 92, 504, 32,
         {L"배치 파일(.bat, .cmd)에 넣는 형식입니다: % 기호는 %%로 적습니다.",
          L"The form for a batch file (.bat, .cmd): each % is written as %%."}},
        {kBCopy, Kind::kButton, 520, 92, 160, 28, {L"클립 보드에 복사", L"Copy to clipboard"}},
        {kBClose, Kind::kDefButton, 688, 92, 88, 28, {L"닫기", L"Close"}},
    };
    create_controls(hwnd_, controls, 4, font_.get());
    SendDlgItemMessageW(hwnd_, kMCmdLine, WM_SETFONT, WPARAM(memo_font_.get()), FALSE);
    set_control_text(hwnd_, kMCmdLine,
                     batch_file_line(generate_command_line(generator_state(state, own_path()))));
    show_modal();
  }

 protected:
  void on_command(int id) override {
    if (id != kBCopy) return;
    SendDlgItemMessageW(hwnd_, kMCmdLine, EM_SETSEL, 0, -1);
    SendDlgItemMessageW(hwnd_, kMCmdLine, WM_COPY, 0, 0);
  }

 private:
  Font font_, memo_font_;
};

}  // namespace

void show_cmdline_generator(HWND owner, const MainState& state) {
  CmdlineGenWindow window;
  window.run(owner, state);
}

}  // namespace tw
