#include "main_window.h"

#include <commctrl.h>
#include <objbase.h>

#include "about_window.h"
#include "cmdline_gen_window.h"
#include "cmdline_help_window.h"
#include "envvars_window.h"
#include "message_box.h"
#include "pickers.h"
#include "product_links.h"
#include "progress_window.h"
#include "registry_values.h"
#include "validation.h"
#include "validation_host_win.h"
#include "version_text.h"

namespace tw {

namespace {

const Text kTargetFilter = {L"실행 파일 (*.exe)|*.exe", L"Executable files (*.exe)|*.exe"};
const Text kIconFilter = {L"아이콘 (*.ico)|*.ico|실행 파일 (*.exe)|*.exe",
                          L"Icons (*.ico)|*.ico|Executable files (*.exe)|*.exe"};
const Text kRunFileFilter = {
    L"실행 파일 (*.exe)|*.exe|배치 파일 (*.bat)|*.bat|명령행 파일 (*.cmd)|*.cmd|"
    L"VBScript 파일 (*.vbs)|*.vbs|VBScript Encoded 파일 (*.vbe)|*.vbe|"
    L"Windows 스크립트 파일 (*wsf)|*.wsf|Windows Script Host 파일 (*.wsh)|*.wsh|"
    L"모든 파일 (*.*)|*.*",
    L"Executable files (*.exe)|*.exe|Batch files (*.bat)|*.bat|Command files (*.cmd)|*.cmd|"
    L"VBScript files (*.vbs)|*.vbs|VBScript Encoded files (*.vbe)|*.vbe|"
    L"Windows Script files (*.wsf)|*.wsf|Windows Script Host files (*.wsh)|*.wsh|"
    L"All files (*.*)|*.*"};

const int kEdits[] = {kESource, kETarget, kEIcon, kEExecutableFile, kECmdParameters, kECustomDir};
const int kLinks[] = {kLAbout, kLWeb, kLDonate, kLCmdLine, kLCmdLineGen};
const int kColouredEdits[] = {kEIcon, kECustomDir};

// Layout in 96-dpi pixels of the 792 x 624 client area; the order is the
// tab order.
const ControlDef kControls[] = {
    {kGbSourceTarget, Kind::kGroup, 8, 4, 776, 148, {L" 소스 폴더 및 대상 파일", L" Source folder and target file"}},
    {kLSourceFolder, Kind::kLabel, 20, 24, 364, 16, {L"소스 폴더 (하위 폴더를 포함할 수 있음):", L"Source folder (may contain subfolders):"}},
    {kESource, Kind::kEdit, 20, 42, 276, 23, {}},
    {kBSource, Kind::kButton, 300, 41, 84, 25, {L"찾아보기", L"Browse..."}},
    {kLTargetFile, Kind::kLabel, 404, 24, 368, 16, {L"대상 SFX 파일 (EXE 파일):", L"Target SFX file (EXE file):"}},
    {kETarget, Kind::kEdit, 404, 42, 280, 23, {}},
    {kBTarget, Kind::kButton, 688, 41, 84, 25, {L"찾아보기", L"Browse..."}},
    {kLIcon, Kind::kLabel, 20, 74, 752, 16, {L"대상 SFX 파일 아이콘:", L"Icon of the target SFX file:"}},
    {kRbIconDefault, Kind::kRadio, 20, 92, 752, 20,
     {L"기본 아이콘 (가능한 경우 실행 파일에서 아이콘 복사)",
      L"Default icon (copied from the executable file where possible)"}},
    {kRbIconCustom, Kind::kRadio, 20, 118, 380, 20,
     {L"사용자 지정 아이콘 (ICO 또는 EXE 파일에서 아이콘 복사):",
      L"Custom icon (copied from an ICO or EXE file):"}},
    {kEIcon, Kind::kEdit, 404, 117, 280, 23, {}},
    {kBIcon, Kind::kButton, 688, 116, 84, 25, {L"찾아보기", L"Browse..."}},

    {kGbExtractionMode, Kind::kGroup, 8, 158, 384, 424, {L"압축 풀기 모드", L"Extraction mode"}},
    {kRbOpenFolder, Kind::kRadio, 20, 176, 364, 32,
     {L"지정된 폴더로 파일 압축 풀기 - 압축 풀린 파일 삭제하지 않기",
      L"Extract the files to the chosen folder - do not delete the extracted files"}},
    {kRbExecuteFile, Kind::kRadio, 20, 234, 364, 32,
     {L"지정된 폴더에 파일을 압축 해제하고 실행 파일 실행",
      L"Extract the files to the chosen folder and run an executable file"}},
    {kCbOpenFolder, Kind::kCheck, 38, 208, 346, 22, {L"압축 해제 후 탐색기에서 압축 해제된 폴더 열기", L"Open the extracted folder in Explorer afterwards"}},
    {kLExecutableFile, Kind::kLabel, 38, 268, 346, 32,
     {L"압축 해제 후 실행할 실행 파일 (소스 폴더 또는 하위 폴더에서 실행 가능한 파일)",
      L"Executable file to run after extraction (a file in the source folder or a subfolder)"}},
    {kEExecutableFile, Kind::kEdit, 38, 302, 258, 23, {}},
    {kBExecutableFile, Kind::kButton, 300, 301, 84, 25, {L"찾아보기", L"Browse..."}},
    {kLCmdParameters, Kind::kLabel, 38, 334, 346, 16, {L"명령줄 매개변수:", L"Command-line parameters:"}},
    {kECmdParameters, Kind::kEdit, 38, 352, 346, 23, {}},
    {kLWorkingDir, Kind::kLabel, 38, 386, 346, 16, {L"작업 폴더:", L"Working folder:"}},
    {kRbWdExtraction, Kind::kRadio, 50, 404, 334, 20, {L"실행 파일이 있는 압축 풀기 폴더", L"The extraction folder holding the executable"}},
    {kRbWdSource, Kind::kRadio, 50, 424, 334, 20, {L"SFX 파일이 있는 소스 폴더", L"The folder holding the SFX file"}},
    {kRbWdCurrent, Kind::kRadio, 50, 444, 334, 20, {L"현재 작업 폴더 (런타임에 변경하지 않음)", L"The current folder (not changed at run time)"}},
    {kLDeleteMode, Kind::kLabel, 38, 474, 346, 16, {L"압축을 푼 파일을 삭제하는 방법:", L"Deleting the extracted files:"}},
    {kRbDmImmediately, Kind::kRadio, 50, 492, 334, 20,
     {L"SFX 실행이 완료되면 추출된 파일을 즉시 삭제",
      L"Delete them as soon as the SFX run has ended"}},
    {kRbDmOnReboot, Kind::kRadio, 50, 512, 334, 32,
     {L"컴퓨터 재부팅 시 추출된 파일 삭제 (관리자 권한 필요)",
      L"Delete them when the computer restarts (needs administrator rights)"}},
    {kRbDmDoNotDelete, Kind::kRadio, 50, 544, 334, 20, {L"압축을 푼 파일을 삭제하지 마세요.", L"Do not delete the extracted files."}},

    {kGbExtractionFolder, Kind::kGroup, 400, 158, 384, 204, {L"압축 풀기 폴더", L"Extraction folder"}},
    {kRbTemp, Kind::kRadio, 412, 176, 364, 18, {L"임시 폴더 (TEMP)", L"Temporary folder (TEMP)"}},
    {kRbDesktop, Kind::kRadio, 412, 194, 364, 18, {L"바탕 화면 폴더 (사용자의 작업 바탕 화면)", L"Desktop folder (the user's desktop)"}},
    {kRbDocuments, Kind::kRadio, 412, 212, 364, 18, {L"문서 폴더 (사용자의 개인 폴더)", L"Documents folder (the user's personal folder)"}},
    {kRbCurrent, Kind::kRadio, 412, 230, 364, 18, {L"현재 폴더 (.)", L"Current folder (.)"}},
    {kRbSelect, Kind::kRadio, 412, 248, 364, 18,
     {L"압축을 풀기 전에 \"폴더 찾아보기\" 대화 상자 표시",
      L"Show a \"Browse for folder\" dialog before extracting"}},
    {kRbCustom, Kind::kRadio, 412, 266, 364, 18,
     {L"사용자 지정 폴더 (환경 변수를 사용할 수 있음):",
      L"Custom folder (environment variables allowed):"}},
    {kECustomDir, Kind::kEdit, 430, 288, 342, 23, {}},
    {kLCustom, Kind::kLabel, 430, 316, 342, 16, {L"(예. %USERPROFILE%\\MyApplication\\)", L"(e.g. %USERPROFILE%\\MyApplication\\)"}},
    {kBEnvVars, Kind::kButton, 572, 332, 200, 25, {L"이 컴퓨터의 환경 변수 표시", L"Environment variables"}},

    {kGbAdvanced, Kind::kGroup, 400, 366, 384, 216, {L"고급 옵션", L"Advanced options"}},
    {kCbOneInstance, Kind::kWrappedCheck, 412, 382, 364, 30,
     {L"하나의 파일 실행 인스턴스 검사 (SFX 파일을 동시에 두 번 실행하지 못하도록 방지)",
      L"One-instance check (the SFX file cannot run twice at the same time)"}},
    {kCbSilent, Kind::kWrappedCheck, 412, 412, 364, 30,
     {L"자동 압축 해제 모드 (압축 해제 시 진행률 표시줄 및 오류 메시지가 표시되지 않음)",
      L"Silent mode (no progress bar and no error messages while extracting)"}},
    {kCbSelfDelete, Kind::kWrappedCheck, 412, 442, 364, 20,
     {L"자체 파괴 모드 (실행 파일 실행이 완료된 후 SFX 파일 삭제)",
      L"Self-destruct mode (delete the SFX file after the run)"}},
    {kLUacAutoElevation, Kind::kLabel, 412, 466, 160, 16, {L"UAC 자동 상승:", L"UAC elevation:"}},
    {kRbUacNone, Kind::kRadio, 412, 482, 160, 30, {L"없음", L"None"}},
    {kRbUacHighest, Kind::kRadio, 412, 512, 160, 30, {L"사용 가능한 가장 높은 권한으로 SFX 파일 실행", L"Run the SFX file with the highest available rights"}},
    {kRbUacAdministrator, Kind::kRadio, 412, 542, 160, 30, {L"관리자 권한으로 SFX 파일 실행", L"Run the SFX file as administrator"}},
    {kLOverwriteMode, Kind::kLabel, 580, 466, 196, 16, {L"압축 풀기 중 덮어쓰기 모드:", L"Existing files while extracting:"}},
    {kRbOmPrompt, Kind::kRadio, 580, 482, 196, 30, {L"사용자에게 기존 파일을 덮어쓸지 묻는 메시지 표시", L"Ask the user before overwriting an existing file"}},
    {kRbOmOverwrite, Kind::kRadio, 580, 512, 196, 30, {L"모든 기존 파일을 자동으로 덮어쓰기", L"Overwrite every existing file"}},
    {kRbOmSkip, Kind::kRadio, 580, 542, 196, 30, {L"모든 기존 파일의 압축 풀기를 자동으로 건너뛰기", L"Skip every existing file"}},

    {kLAbout, Kind::kLink, 12, 598, 44, 18, {L"정보...", L"About..."}},
    {kLWeb, Kind::kLink, 62, 598, 200, 18, {TW_WEB_ADDRESS, nullptr}},
    {kLDonate, Kind::kLink, 268, 598, 40, 18, {L"기부", L"Donate"}},
    {kLCmdLine, Kind::kLink, 314, 598, 90, 18, {L"명령줄 지원", L"Command-line help"}},
    {kLCmdLineGen, Kind::kLink, 410, 598, 150, 18, {L"명령줄 매개변수 생성", L"Generate command line"}},
    {kBMake, Kind::kDefButton, 624, 590, 160, 30, {L"Tarnwick", nullptr}},
};

bool is_toggle(HWND control) {
  LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON || type == BS_AUTOCHECKBOX ||
         type == BS_CHECKBOX;
}

bool is_group_member(int id, std::initializer_list<int> group) {
  for (int member : group)
    if (member == id) return true;
  return false;
}

class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (ok_) CoUninitialize();
  }

 private:
  bool ok_;
};

}  // namespace

MainWindow::MainWindow(const BuildOptions& options, const RunFlags& flags,
                       const CarriedResources& carried)
    : options_(options), flags_(flags), carried_(carried) {}

bool MainWindow::open() {
  caption_ = L"Tarnwick " + major_minor(own_file_version());
  if (!create(L"Tftarnwick", caption_, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
              792, 624, nullptr))
    return false;
  font_ = message_font();
  bold_font_ = message_font(true);
  link_font_ = message_font(false, true);
  create_controls(hwnd_, kControls, sizeof kControls / sizeof kControls[0], font_.get());
  SendDlgItemMessageW(hwnd_, kBMake, WM_SETFONT, WPARAM(bold_font_.get()), FALSE);
  for (int id : kLinks) SendDlgItemMessageW(hwnd_, id, WM_SETFONT, WPARAM(link_font_.get()), FALSE);
  layout_links();
  SendDlgItemMessageW(hwnd_, kECmdParameters, EM_SETLIMITTEXT, 2047, 0);
  SendDlgItemMessageW(hwnd_, kECustomDir, EM_SETLIMITTEXT, 259, 0);
  set_message_box_owner(hwnd_);
  fill();
  return true;
}

// The links of the bottom row one after the other, each as wide as its
// text; a link to an address this build was not given is hidden.
void MainWindow::layout_links() {
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old_font = SelectObject(dc, link_font_.get());
  int x = scaled(12);
  for (int id : kLinks) {
    HWND link = GetDlgItem(hwnd_, id);
    if ((id == kLWeb && !*TW_WEB_ADDRESS) || (id == kLDonate && !*TW_DONATE_ADDRESS)) {
      ShowWindow(link, SW_HIDE);
      continue;
    }
    std::wstring text = window_text(link);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    RECT r;
    GetWindowRect(link, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(link, x, r.top, size.cx + scaled(2), r.bottom - r.top, FALSE);
    x += size.cx + scaled(14);
  }
  SelectObject(dc, old_font);
  ReleaseDC(hwnd_, dc);
}

MainState MainWindow::read_state() const {
  MainState s;
  for (int id = kMainFirst; id < kMainEnd; ++id) {
    HWND c = GetDlgItem(hwnd_, id);
    s.enabled_of(id) = IsWindowEnabled(c) != FALSE;
    if (is_toggle(c)) s.checked_of(id) = SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  for (int id : kEdits) s.text_of(id) = control_text(hwnd_, id);
  return s;
}

void MainWindow::apply_state(const MainState& s) {
  for (int id = kMainFirst; id < kMainEnd; ++id) {
    HWND c = GetDlgItem(hwnd_, id);
    if ((IsWindowEnabled(c) != FALSE) != s.enabled_of(id)) EnableWindow(c, s.enabled_of(id));
    if (!is_toggle(c)) continue;
    SendMessageW(c, BM_SETCHECK, s.checked_of(id) ? BST_CHECKED : BST_UNCHECKED, 0);
    // Tab reaches a radio group at its checked button.
    if (is_radio(id)) {
      LONG style = GetWindowLongW(c, GWL_STYLE);
      SetWindowLongW(c, GWL_STYLE, s.checked_of(id) ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
  }
}

void MainWindow::fill() {
  MainState s;
  if (flags_.enough_parameters) {
    fill_from_options(&s, options_);
  } else {
    RegistryOptionValues values;
    if (values.open()) fill_from_values(&s, values);
  }
  for (int id : kEdits) set_control_text(hwnd_, id, s.text_of(id));
  apply_state(s);
}

void MainWindow::run_rules(int clicked) {
  MainState s = read_state();
  if (is_radio(clicked)) check_radio(&s, clicked);
  int focus = 0;
  if (is_group_member(clicked, {kRbIconDefault, kRbIconCustom})) {
    focus = icon_rule(&s);
  } else if (is_group_member(clicked, {kRbOpenFolder, kRbExecuteFile, kCbOneInstance})) {
    extraction_mode_rule(&s);
  } else if (is_group_member(clicked, {kRbTemp, kRbDesktop, kRbDocuments, kRbCurrent, kRbSelect,
                                       kRbCustom})) {
    focus = extraction_folder_rule(&s);
  } else if (is_group_member(clicked, {kRbUacNone, kRbUacHighest, kRbUacAdministrator,
                                       kRbOmPrompt, kRbOmOverwrite, kRbOmSkip})) {
    uac_rule(&s);
  }
  apply_state(s);
  if (focus && IsWindowVisible(hwnd_)) SetFocus(GetDlgItem(hwnd_, focus));
}

void MainWindow::choose_variable() {
  std::wstring name;
  if (choose_environment_variable(hwnd_, caption_, &name))
    SendDlgItemMessageW(hwnd_, kECustomDir, EM_REPLACESEL, TRUE,
                        reinterpret_cast<LPARAM>(name.c_str()));
  SetFocus(GetDlgItem(hwnd_, kECustomDir));
}

LRESULT MainWindow::control_colour(HDC dc, HWND control, bool edit_message) {
  if (is_one_of(control, kLinks, sizeof kLinks / sizeof kLinks[0])) return link_colours(dc);
  if (is_one_of(control, kColouredEdits, 2)) {
    int colour = IsWindowEnabled(control) ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(colour));
    SetTextColor(dc, GetSysColor(IsWindowEnabled(control) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
  }
  return DefWindowProcW(hwnd_, edit_message ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                        reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

void MainWindow::browse(int id) {
  int edit = id == kBSource ? kESource : id == kBTarget ? kETarget : id == kBIcon ? kEIcon
                                                                                  : kEExecutableFile;
  std::wstring current = control_text(hwnd_, edit), chosen;
  bool picked = false;
  if (id == kBSource) {
    picked = pick_folder(hwnd_, current, &chosen);
  } else if (id == kBTarget) {
    picked = pick_save_file(hwnd_, current, pick(kTargetFilter), L"exe", &chosen);
  } else {
    picked = pick_open_file(hwnd_, current, pick(id == kBIcon ? kIconFilter : kRunFileFilter),
                            &chosen);
  }
  if (picked) set_control_text(hwnd_, edit, chosen);
}

void MainWindow::build() {
  BuildOptions o = options_from_state(read_state());
  WinValidationHost host;
  if (!validate(&o, flags_, host)) return;
  int result;
  {
    ProgressWindow progress(flags_, carried_, [this] { return options_from_state(read_state()); });
    result = progress.run(hwnd_, caption_);
  }
  if (result == IDOK) {
    DestroyWindow(hwnd_);
  } else {
    SetForegroundWindow(hwnd_);
  }
}

void MainWindow::on_command(int id) {
  switch (id) {
    case kBSource: case kBTarget: case kBIcon: case kBExecutableFile:
      browse(id);
      return;
    case kBMake:
      build();
      return;
    case kLAbout:
      show_about(hwnd_, caption_);
      return;
    case kLWeb:
      open_link(control_text(hwnd_, kLWeb));
      return;
    case kLDonate:
      open_link(TW_DONATE_ADDRESS);
      return;
    case kLCmdLine:
      show_cmdline_help(hwnd_, carried_);
      return;
    case kLCmdLineGen:
      show_cmdline_generator(hwnd_, read_state());
      return;
    case kBEnvVars:
      choose_variable();
      return;
  }
  if (is_radio(id) || id == kCbOneInstance) run_rules(id);
}

bool MainWindow::preview_key(const MSG& msg) {
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) {
    show_about(hwnd_, caption_);
    return true;
  }
  return false;
}

LRESULT MainWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wp) {
        MainState s = read_state();
        icon_rule(&s);
        extraction_mode_rule(&s);
        extraction_folder_rule(&s);
        apply_state(s);
        PostMessageW(hwnd_, kStartMessage, kStartMessage, kStartMessage);
      }
      break;
    case kStartMessage:
      if (wp == kStartMessage && lp == LPARAM(kStartMessage) && flags_.enough_parameters) build();
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(kBMake, DC_HASDEFID);
    case WM_COMMAND:
      // Enter chooses the build button; Esc (IDCANCEL) does nothing here.
      if (HIWORD(wp) == BN_CLICKED) on_command(LOWORD(wp));
      return 0;
    case WM_SETCURSOR:
      if (is_link_cursor_request(hwnd_, wp, kLinks, sizeof kLinks / sizeof kLinks[0])) return TRUE;
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return control_colour(HDC(wp), HWND(lp), msg == WM_CTLCOLOREDIT);
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      set_message_box_owner(nullptr);
      PostQuitMessage(0);
      return 0;
  }
  return Window::handle(msg, wp, lp);
}

int run_main_window(const BuildOptions& options, const RunFlags& flags,
                    const CarriedResources& carried) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                              ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  ComApartment com;
  MainWindow window(options, flags, carried);
  if (!window.open()) return 1;
  ShowWindow(window.hwnd(), SW_SHOW);
  UpdateWindow(window.hwnd());
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch_with_keys(&msg);
  return int(msg.wParam);
}

}  // namespace tw
