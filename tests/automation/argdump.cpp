// argdump: a program for the SFX stub's run-mode tests (GUI subsystem, so
// that no console window comes and goes with it). Writes what it was
// started with and exits with a chosen code:
//   output file  %ARGDUMP_OUT%, else "argdump.out" beside the program
//   content      UTF-8 fields, each ended by a NUL byte: the raw command
//                line, the current folder, then argv[1..] as the usual
//                Windows rules (CommandLineToArgvW) split the command line
//   exit code    %ARGDUMP_EXIT% (decimal), else 0
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring Env(const wchar_t* name) {
  wchar_t buf[32768];
  DWORD n = GetEnvironmentVariableW(name, buf, 32768);
  return n && n < 32768 ? std::wstring(buf, n) : std::wstring();
}

std::wstring OutputPath() {
  std::wstring path = Env(L"ARGDUMP_OUT");
  if (!path.empty()) return path;
  wchar_t self[32768];
  DWORD n = GetModuleFileNameW(nullptr, self, 32768);
  std::wstring own(self, n);
  return own.substr(0, own.find_last_of(L'\\') + 1) + L"argdump.out";
}

}  // namespace

int main() {
  const wchar_t* line = GetCommandLineW();
  std::string out = Utf8(line);
  out += '\0';
  wchar_t cwd[32768];
  DWORD n = GetCurrentDirectoryW(32768, cwd);
  out += Utf8(n ? cwd : L"");
  out += '\0';
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(line, &argc);
  for (int i = 1; argv && i < argc; ++i) {
    out += Utf8(argv[i]);
    out += '\0';
  }
  HANDLE f = CreateFileW(OutputPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    DWORD put = 0;
    WriteFile(f, out.data(), static_cast<DWORD>(out.size()), &put, nullptr);
    CloseHandle(f);
  }
  std::wstring code = Env(L"ARGDUMP_EXIT");
  return code.empty() ? 0 : static_cast<int>(wcstoul(code.c_str(), nullptr, 10));
}
