// msgbox_probe: shows one message box and ends with its result, so that the
// automation helper can be tested against a box whose answer is known.
//   msgbox_probe FLAGS TEXT [TITLE]     FLAGS: MessageBox flags (0x24 = Yes/No)
//   msgbox_probe cmdline ...            shows its raw command line (title "cmdline")
//   msgbox_probe crash                  dies of an access violation
// Exit code: the MessageBoxW result (IDYES = 6, ...), 255 on a usage error.
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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ArgList args;
  if (args.size() == 2 && std::wcscmp(args[1], L"crash") == 0) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;  // lets tests see how a crashing program ends
  }
  if (args.size() >= 2 && std::wcscmp(args[1], L"cmdline") == 0)
    return MessageBoxW(nullptr, GetCommandLineW(), L"cmdline", MB_OK);
  if (args.size() < 3) return 255;
  wchar_t* end = nullptr;
  UINT flags = static_cast<UINT>(std::wcstoul(args[1], &end, 0));
  if (*end != L'\0') return 255;
  const wchar_t* title = args.size() > 3 ? args[3] : L"msgbox_probe";
  return MessageBoxW(nullptr, args[2], title, flags);
}
