// msgbox_probe: shows one message box and ends with its result, so that the
// automation helper can be tested against a box whose answer is known.
//   msgbox_probe FLAGS TEXT [TITLE]     FLAGS: MessageBox flags (0x24 = Yes/No)
//   msgbox_probe cmdline ...            shows its raw command line (title "cmdline")
//   msgbox_probe crash                  dies of an access violation
//   msgbox_probe form                   a window "probe form" with a check box
//                                       (id 100), an edit (id 101) and OK (id 1)
// Exit code: the MessageBoxW result (IDYES = 6, ...), 255 on a usage error;
// for "form": 1 + the check box state + 10 when the edit holds "시험".
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {

class ArgList {  // owns the result of CommandLineToArgvW
 public:
  ArgList() : argv_(CommandLineToArgvW(GetCommandLineW(), &argc_)) {}
  ~ArgList() { LocalFree(argv_); }
  ArgList(const ArgList&) = delete;
  ArgList& operator=(const ArgList&) = delete;
  int size() const { return argv_ ? argc_ : 0; }
  const wchar_t* operator[](int i) const { return argv_[i]; }

 private:
  int argc_ = 0;
  wchar_t** argv_;
};

constexpr int kCheckId = 100;
constexpr int kEditId = 101;

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_COMMAND && LOWORD(wparam) == IDOK) {
    int code = 1 + static_cast<int>(SendDlgItemMessageW(hwnd, kCheckId, BM_GETCHECK, 0, 0));
    wchar_t text[16] = {};
    GetDlgItemTextW(hwnd, kEditId, text, 16);
    if (std::wcscmp(text, L"\uC2DC\uD5D8") == 0) code += 10;
    DestroyWindow(hwnd);
    PostQuitMessage(code);
    return 0;
  }
  if (msg == WM_CLOSE) {
    DestroyWindow(hwnd);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int y) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 10, y, 200, 24, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                         nullptr);
}

// A plain window with the controls the maker's windows use, to test how the
// automation helper reads, toggles, fills and presses them.
int ShowForm() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = FormProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"TwProbeForm";
  if (!RegisterClassW(&wc)) return 255;
  HWND form = CreateWindowExW(0, L"TwProbeForm", L"probe form", WS_OVERLAPPEDWINDOW, 100, 100, 260,
                              170, nullptr, nullptr, wc.hInstance, nullptr);
  if (!form) return 255;
  Child(form, L"BUTTON", L"check", BS_AUTOCHECKBOX, kCheckId, 10);
  Child(form, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, kEditId, 40);
  Child(form, L"BUTTON", L"OK", BS_DEFPUSHBUTTON, IDOK, 70);
  ShowWindow(form, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ArgList args;
  if (args.size() == 2 && std::wcscmp(args[1], L"crash") == 0) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;  // lets tests see how a crashing program ends
  }
  if (args.size() == 2 && std::wcscmp(args[1], L"form") == 0) return ShowForm();
  if (args.size() >= 2 && std::wcscmp(args[1], L"cmdline") == 0)
    return MessageBoxW(nullptr, GetCommandLineW(), L"cmdline", MB_OK);
  if (args.size() < 3) return 255;
  wchar_t* end = nullptr;
  UINT flags = static_cast<UINT>(std::wcstoul(args[1], &end, 0));
  if (*end != L'\0') return 255;
  const wchar_t* title = args.size() > 3 ? args[3] : L"msgbox_probe";
  return MessageBoxW(nullptr, args[2], title, flags);
}
