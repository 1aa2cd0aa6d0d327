// twauto: drives the windows of a program under test from the outside.
//
//   twauto wait    [filters] [--timeout MS]            print the window
//   twauto press   [filters] [--timeout MS] --button yes|no|ok|cancel|abort|retry|ignore|N
//                  [--then-title T]  then time until a window titled T of the
//                  same program appears (stderr: "elapsed_ms N"; benchmarks)
//   twauto close   [filters] [--timeout MS]            print, then WM_CLOSE
//   twauto settext [filters] [--timeout MS] --id N --text T   set, then print
//   twauto post    [filters] [--timeout MS] [--id N] --message M [--wparam W] [--lparam L]
//                  post a message (keys, clicks) to the window or its control N
//   twauto items   [filters] --id N                    rows of list view N (text per column)
//   twauto clipboard                                   the clipboard's text
//   twauto none    [filters] --timeout MS               0 when none appeared
//   twauto gone    [filters] --timeout MS               0 once none is left
//   twauto list    [filters]                           every matching window now
//   twauto acp                                         code pages and locales
//   twauto attrib  FILE [--set N]                      read (and set) attributes
//   twauto delete  FILE                                plain DeleteFileW
//   twauto hold    FILE MS                             keep FILE open (no delete sharing)
//   twauto kill    PID...                              end these Windows processes
//   twauto idle                                        use the desktop until killed
//   twauto run     --status-file F --command-line L   run L (program first),
//                  record its Windows process id and full 32-bit exit code in F
// filters: --class C, --title T (both exact), --pid P (Windows process id),
//          --index N (the N-th match in z-order, from 0);
//          --control-class C: press/settext only a control of this class
//          (where several controls share an id, as in the file dialogs)
//
// Output is one line of UTF-8 JSON on stdout. Exit codes: 0 done, 1 no window
// appeared in time, 2 usage error, 3 the action failed (or, for "none", a
// window did appear; it is printed). "run" ends with the program's exit code.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <string>
#include <vector>

#include "json_out.h"
#include "unique_handle.h"
#include "run_program.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNoWindow = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;
// A program under load can take a while to answer; one that is blocked costs
// this once (its thread is not asked again). Not SMTO_ABORTIFHUNG: a program
// that has not yet asked for its first message (a slow start) counts as hung.
constexpr UINT kMessageTimeoutMs = 5000;

struct Options {
  std::wstring command;
  std::vector<std::wstring> positional;
  bool has_class = false, has_title = false, has_pid = false;
  std::wstring window_class, title, text, control_class;
  DWORD pid = 0;
  long index = 0;
  long timeout_ms = 60000;  // a loaded machine can be slow to show a window
  long button = -1;  // control id to press
  long id = -1;      // control id for settext and post
  long message = -1, wparam = 0, lparam = 0;  // for post
  bool has_set = false;
  long set_attributes = 0;
  std::wstring status_file, command_line;
  std::wstring then_title;  // press: time until a window with this title appears
};

void WriteUtf8(DWORD which, const std::string& text) {
  HANDLE out = GetStdHandle(which);
  DWORD written = 0;
  WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void PrintJson(const JsonOut& json) { WriteUtf8(STD_OUTPUT_HANDLE, json.text() + "\n"); }

// {"key": true}: the answer of the commands that only say yes.
void PrintYes(const char* key) {
  JsonOut json;
  json.BeginObject();
  json.Key(key), json.Bool(true);
  json.EndObject();
  PrintJson(json);
}
void PrintError(const std::string& message) { WriteUtf8(STD_ERROR_HANDLE, "twauto: " + message + "\n"); }

int Usage(const std::string& why) {
  PrintError(why);
  PrintError("usage: twauto wait|press|close|settext|post|items|none|gone|list [--class C] [--title T] [--pid P] "
             "[--index N] [--timeout MS] [--button B] [--control-class C] [--message M --wparam W --lparam L] [--id N --text T] | clipboard | acp | attrib FILE [--set N] "
             "| delete FILE | hold FILE MS | kill PID... | idle | run --status-file F --command-line L");
  return kExitUsage;
}

std::string Narrow(const std::wstring& s) {
  int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

bool ParseNumber(const std::wstring& s, long* value) {
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  *value = std::wcstol(s.c_str(), &end, 0);
  return *end == L'\0';
}

bool ParseButton(const std::wstring& s, long* id) {
  static const struct { const wchar_t* name; long id; } kNames[] = {
      {L"ok", IDOK},       {L"cancel", IDCANCEL}, {L"abort", IDABORT}, {L"retry", IDRETRY},
      {L"ignore", IDIGNORE}, {L"yes", IDYES},     {L"no", IDNO},
  };
  for (const auto& n : kNames) {
    if (_wcsicmp(s.c_str(), n.name) == 0) {
      *id = n.id;
      return true;
    }
  }
  return ParseNumber(s, id);
}

// Returns an empty string on success, else what was wrong.
std::string ParseArgs(int argc, wchar_t** argv, Options* o) {
  if (argc < 2) return "no command";
  o->command = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg.rfind(L"--", 0) != 0) {
      o->positional.push_back(arg);
      continue;
    }
    if (i + 1 >= argc) return "missing value for " + Narrow(arg);
    std::wstring value = argv[++i];
    long number = 0;
    bool numeric = ParseNumber(value, &number);
    if (arg == L"--class") {
      o->has_class = true, o->window_class = value;
    } else if (arg == L"--title") {
      o->has_title = true, o->title = value;
    } else if (arg == L"--control-class") {
      o->control_class = value;
    } else if (arg == L"--text") {
      o->text = value;
    } else if (arg == L"--status-file") {
      o->status_file = value;
    } else if (arg == L"--then-title") {
      o->then_title = value;
    } else if (arg == L"--command-line") {
      o->command_line = value;
    } else if (arg == L"--button") {
      if (!ParseButton(value, &o->button)) return "bad button " + Narrow(value);
    } else if (!numeric) {
      return "bad number for " + Narrow(arg);
    } else if (arg == L"--timeout") {
      o->timeout_ms = number;
    } else if (arg == L"--pid") {
      o->has_pid = true, o->pid = static_cast<DWORD>(number);
    } else if (arg == L"--index") {
      o->index = number;
    } else if (arg == L"--id") {
      o->id = number;
    } else if (arg == L"--message") {
      o->message = number;
    } else if (arg == L"--wparam") {
      o->wparam = number;
    } else if (arg == L"--lparam") {
      o->lparam = number;
    } else if (arg == L"--set") {
      o->has_set = true, o->set_attributes = number;
    } else {
      return "unknown option " + Narrow(arg);
    }
  }
  return {};
}

std::vector<DWORD> g_silent_threads;  // threads that did not answer a message

// Sends a message to a window of any process and waits a few seconds. A
// thread that did not answer once is not asked again: a hung program would
// otherwise cost a second for every control and every question.
bool Ask(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* result) {
  DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
  for (DWORD silent : g_silent_threads)
    if (silent == thread) return false;
  if (SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_NORMAL, kMessageTimeoutMs, result))
    return true;
  if (GetLastError() == ERROR_TIMEOUT) g_silent_threads.push_back(thread);
  return false;
}

bool Answers(HWND hwnd) {
  DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
  for (DWORD silent : g_silent_threads)
    if (silent == thread) return false;
  return true;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t buf[256];
  int n = GetClassNameW(hwnd, buf, 256);
  return std::wstring(buf, n > 0 ? n : 0);
}

// The text of a window of any process, through WM_GETTEXT (marshalled across
// processes); a hung window yields an empty text instead of blocking.
std::wstring ControlText(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!Ask(hwnd, WM_GETTEXTLENGTH, 0, 0, &length)) return {};
  std::wstring buf(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!Ask(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(buf.data()), &got)) return {};
  buf.resize(got < length ? got : length);
  return buf;
}

// The title as the window manager keeps it: InternalGetWindowText sends no
// message, so a program that is busy on its window's thread cannot block us
// (GetWindowTextLengthW would send WM_GETTEXTLENGTH and wait).
std::wstring TopLevelTitle(HWND hwnd) {
  std::wstring buf(4096, L'\0');
  int got = InternalGetWindowText(hwnd, buf.data(), static_cast<int>(buf.size()));
  buf.resize(got > 0 ? got : 0);
  return buf;
}

struct Search {
  const Options* options;
  DWORD own_pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->own_pid) return TRUE;
  const Options& o = *s->options;
  if (o.has_pid && pid != o.pid) return TRUE;
  if (o.has_class && ClassName(hwnd) != o.window_class) return TRUE;
  if (o.has_title && TopLevelTitle(hwnd) != o.title) return TRUE;
  s->found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> MatchingWindows(const Options& o) {
  Search s{&o, GetCurrentProcessId(), {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Polls until the chosen window exists or the time is up (then nullptr).
HWND WaitForWindow(const Options& o) {
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(o.timeout_ms > 0 ? o.timeout_ms : 0);
  for (;;) {
    std::vector<HWND> found = MatchingWindows(o);
    if (o.index >= 0 && static_cast<size_t>(o.index) < found.size()) return found[o.index];
    if (GetTickCount64() >= deadline) return nullptr;
    Sleep(50);
  }
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

bool FindControlAny(HWND window, long id) {
  for (HWND child : Children(window))
    if (GetDlgCtrlID(child) == id) return true;
  return false;
}

bool IsButtonClass(HWND hwnd) { return _wcsicmp(ClassName(hwnd).c_str(), L"Button") == 0; }

void DescribeControl(JsonOut& json, HWND hwnd) {
  json.BeginObject();
  json.Key("hwnd"), json.Int(static_cast<int64_t>(reinterpret_cast<uintptr_t>(hwnd)));
  json.Key("id"), json.Int(GetDlgCtrlID(hwnd));
  json.Key("class"), json.String(ClassName(hwnd));
  json.Key("text"), json.String(ControlText(hwnd));
  json.Key("style"), json.Int(static_cast<uint32_t>(GetWindowLongW(hwnd, GWL_STYLE)));
  json.Key("enabled"), json.Bool(IsWindowEnabled(hwnd));
  json.Key("visible"), json.Bool(IsWindowVisible(hwnd));
  RECT r{};
  GetWindowRect(hwnd, &r);  // screen pixels: where a real click goes
  json.Key("rect"), json.BeginArray();
  json.Int(r.left), json.Int(r.top), json.Int(r.right), json.Int(r.bottom);
  json.EndArray();
  json.Key("checked");
  DWORD_PTR check = 0;
  if (IsButtonClass(hwnd) && Ask(hwnd, BM_GETCHECK, 0, 0, &check)) {
    json.Int(static_cast<int64_t>(check));
  } else {
    json.Null();
  }
  json.EndObject();
}

// The button a press of Enter would choose. Wine's message boxes mark it
// only by the BS_DEFPUSHBUTTON style (their DM_GETDEFID answers IDOK even when
// "No" is the default), so the style decides and DM_GETDEFID is the fallback.
long DefaultButtonId(HWND window, const std::wstring& cls) {
  for (HWND child : Children(window)) {
    if (IsButtonClass(child) && IsWindowVisible(child) &&
        (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      return GetDlgCtrlID(child);
  }
  // DM_GETDEFID is a private message number of the dialog class only.
  DWORD_PTR def = 0;
  if (cls == L"#32770" && Ask(window, DM_GETDEFID, 0, 0, &def) &&
      HIWORD(def) == DC_HASDEFID && FindControlAny(window, LOWORD(def)))
    return LOWORD(def);
  return -1;
}

void DescribeWindow(JsonOut& json, HWND hwnd) {
  std::wstring cls = ClassName(hwnd);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  LONG exstyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
  RECT r{};
  GetWindowRect(hwnd, &r);
  json.BeginObject();
  json.Key("hwnd"), json.Int(static_cast<int64_t>(reinterpret_cast<uintptr_t>(hwnd)));
  json.Key("class"), json.String(cls);
  json.Key("title"), json.String(TopLevelTitle(hwnd));
  json.Key("pid"), json.Int(pid);
  json.Key("style"), json.Int(static_cast<uint32_t>(GetWindowLongW(hwnd, GWL_STYLE)));
  json.Key("exstyle"), json.Int(static_cast<uint32_t>(exstyle));
  json.Key("topmost"), json.Bool((exstyle & WS_EX_TOPMOST) != 0);
  json.Key("rect"), json.BeginArray();
  json.Int(r.left), json.Int(r.top), json.Int(r.right), json.Int(r.bottom);
  json.EndArray();
  // The control with the keyboard focus in the window's thread, if any.
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  json.Key("focus_id");
  if (GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &gui) && gui.hwndFocus &&
      IsChild(hwnd, gui.hwndFocus)) {
    json.Int(GetDlgCtrlID(gui.hwndFocus));
  } else {
    json.Null();
  }
  json.Key("default_id");
  long default_id = DefaultButtonId(hwnd, cls);
  if (default_id >= 0) json.Int(default_id); else json.Null();
  json.Key("controls"), json.BeginArray();
  for (HWND child : Children(hwnd)) DescribeControl(json, child);
  json.EndArray();
  // false: the program did not answer in time; texts may be missing.
  json.Key("responding"), json.Bool(Answers(hwnd));
  json.EndObject();
}

void PrintWindow(HWND hwnd) {
  JsonOut json;
  DescribeWindow(json, hwnd);
  PrintJson(json);
}

// The control with this id (and class, when given); a visible one wins over
// a hidden one.
HWND FindControl(HWND window, long id, const std::wstring& cls) {
  HWND hidden = nullptr;
  for (HWND child : Children(window)) {
    if (GetDlgCtrlID(child) != id) continue;
    if (!cls.empty() && _wcsicmp(ClassName(child).c_str(), cls.c_str()) != 0) continue;
    if (IsWindowVisible(child)) return child;
    if (!hidden) hidden = child;
  }
  return hidden;
}

bool IsToggleButton(HWND control) {
  switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON:
    case BS_3STATE: case BS_AUTO3STATE: case BS_AUTORADIOBUTTON:
      return true;
    default:
      return false;
  }
}

// Push buttons: the parent gets the BN_CLICKED notification it would get from
// a click, posted so that a handler that opens a modal window does not block
// us. Check boxes and radio buttons: BM_CLICK, so that they change state.
int Press(HWND window, long id, const std::wstring& cls) {
  HWND control = FindControl(window, id, cls);
  if (!control) {
    PrintError("no control with id " + std::to_string(id));
    return kExitFailed;
  }
  if (!IsWindowEnabled(control)) {
    PrintError("control " + std::to_string(id) + " is disabled");
    return kExitFailed;
  }
  if (IsButtonClass(control) && IsToggleButton(control)) {
    DWORD_PTR ignored = 0;
    Ask(control, BM_CLICK, 0, 0, &ignored);
    return kExitOk;
  }
  HWND parent = GetParent(control);
  if (!PostMessageW(parent ? parent : window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(control))) {
    PrintError("posting WM_COMMAND failed");
    return kExitFailed;
  }
  return kExitOk;
}

int NoWindow(const Options& o);

// Presses, then measures how long the program takes to show a window with
// the given title (a box that answers the press), polling every 5 ms.
int PressAndTime(HWND window, const Options& o) {
  ULONGLONG start = GetTickCount64();
  int rc = Press(window, o.button, o.control_class);
  if (rc != kExitOk) return rc;
  Options then = o;
  then.has_title = true, then.title = o.then_title, then.has_class = false;
  GetWindowThreadProcessId(window, &then.pid);
  then.has_pid = true;
  while (MatchingWindows(then).empty()) {
    if (GetTickCount64() - start > static_cast<ULONGLONG>(o.timeout_ms)) return NoWindow(o);
    Sleep(5);
  }
  PrintError("elapsed_ms " + std::to_string(GetTickCount64() - start));
  return kExitOk;
}

int SetText(HWND window, long id, const std::wstring& text, const std::wstring& cls) {
  HWND control = FindControl(window, id, cls);
  if (!control) {
    PrintError("no control with id " + std::to_string(id));
    return kExitFailed;
  }
  DWORD_PTR result = 0;
  if (!Ask(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &result) || !result) {
    PrintError("WM_SETTEXT failed");
    return kExitFailed;
  }
  return kExitOk;
}

// Posted, not sent: the program handles it in its own message loop, as it
// would a real key or click.
int Post(HWND window, const Options& o) {
  HWND target = window;
  if (o.id >= 0 && !(target = FindControl(window, o.id, o.control_class))) {
    PrintError("no control with id " + std::to_string(o.id));
    return kExitFailed;
  }
  if (!PostMessageW(target, static_cast<UINT>(o.message), static_cast<WPARAM>(o.wparam),
                    static_cast<LPARAM>(o.lparam))) {
    PrintError("posting failed");
    return kExitFailed;
  }
  return kExitOk;
}

// The texts of a list view of another process: LVM_GETITEMTEXTW needs its
// item and buffer in that process's memory.
int Items(HWND window, const Options& o) {
  HWND list = FindControl(window, o.id, o.control_class);
  if (!list) {
    PrintError("no control with id " + std::to_string(o.id));
    return kExitFailed;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                   FALSE, pid));
  const SIZE_T kChars = 4096;
  char* remote = process.valid() ? static_cast<char*>(VirtualAllocEx(
      process.get(), nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT,
      PAGE_READWRITE)) : nullptr;
  if (!remote) {
    PrintError("cannot reach the program's memory, error " + std::to_string(GetLastError()));
    return kExitFailed;
  }
  wchar_t* remote_text = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  JsonOut json;
  json.BeginObject();
  json.Key("items"), json.BeginArray();
  for (int row = 0; row < rows; ++row) {
    json.BeginArray();
    for (int column = 0; column < columns; ++column) {
      LVITEMW item = {};
      item.iSubItem = column;
      item.pszText = remote_text;
      item.cchTextMax = static_cast<int>(kChars);
      std::wstring text(kChars, L'\0');
      WriteProcessMemory(process.get(), remote, &item, sizeof item, nullptr);
      LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
      ReadProcessMemory(process.get(), remote_text, &text[0], kChars * sizeof(wchar_t), nullptr);
      text.resize(n > 0 ? static_cast<size_t>(n) : 0);
      json.String(text);
    }
    json.EndArray();
  }
  json.EndArray();
  json.EndObject();
  VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  PrintJson(json);
  return kExitOk;
}

int CommandClipboard() {
  std::wstring text;
  if (OpenClipboard(nullptr)) {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* p = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (p) {
      text = p;
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  JsonOut json;
  json.BeginObject();
  json.Key("text"), json.String(text);
  json.EndObject();
  PrintJson(json);
  return kExitOk;
}

int NoWindow(const Options& o) {
  PrintError("no window appeared within " + std::to_string(o.timeout_ms) + " ms");
  return kExitNoWindow;
}

int WindowCommand(const Options& o) {
  if (o.command == L"press" && o.button < 0) return Usage("press needs --button");
  if (o.command == L"settext" && o.id < 0) return Usage("settext needs --id");
  if (o.command == L"post" && o.message < 0) return Usage("post needs --message");
  if (o.command == L"items" && o.id < 0) return Usage("items needs --id");
  HWND hwnd = WaitForWindow(o);
  if (!hwnd) return NoWindow(o);
  if (o.command == L"settext") {
    int rc = SetText(hwnd, o.id, o.text, o.control_class);
    PrintWindow(hwnd);
    return rc;
  }
  if (o.command == L"items") return Items(hwnd, o);
  PrintWindow(hwnd);
  if (o.command == L"press" && !o.then_title.empty()) return PressAndTime(hwnd, o);
  if (o.command == L"press") return Press(hwnd, o.button, o.control_class);
  if (o.command == L"post") return Post(hwnd, o);
  if (o.command == L"close") return PostMessageW(hwnd, WM_CLOSE, 0, 0) ? kExitOk : kExitFailed;
  return kExitOk;
}

int CommandNone(const Options& o) {
  HWND hwnd = WaitForWindow(o);
  if (hwnd) {
    PrintError("a window appeared");
    JsonOut json;
    json.BeginObject();
    json.Key("none"), json.Bool(false);
    json.Key("window");
    DescribeWindow(json, hwnd);
    json.EndObject();
    PrintJson(json);
    return kExitFailed;
  }
  PrintYes("none");
  return kExitOk;
}

// Waits until no matching window is left (a window that closes in its own
// time: no race against the program's speed).
int CommandGone(const Options& o) {
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(o.timeout_ms > 0 ? o.timeout_ms : 0);
  while (!MatchingWindows(o).empty()) {
    if (GetTickCount64() >= deadline) {
      PrintError("a window was still there after " + std::to_string(o.timeout_ms) + " ms");
      return kExitFailed;
    }
    Sleep(50);
  }
  PrintYes("gone");
  return kExitOk;
}

int CommandList(const Options& o) {
  JsonOut json;
  json.BeginObject();
  json.Key("windows"), json.BeginArray();
  for (HWND hwnd : MatchingWindows(o)) DescribeWindow(json, hwnd);
  json.EndArray();
  json.EndObject();
  PrintJson(json);
  return kExitOk;
}

int CommandAcp() {
  JsonOut json;
  json.BeginObject();
  json.Key("acp"), json.Int(GetACP());
  json.Key("oemcp"), json.Int(GetOEMCP());
  json.Key("user_lcid"), json.Int(GetUserDefaultLCID());
  json.Key("system_lcid"), json.Int(GetSystemDefaultLCID());
  json.Key("ui_language"), json.Int(GetUserDefaultUILanguage());
  json.EndObject();
  PrintJson(json);
  return kExitOk;
}

int CommandAttrib(const Options& o) {
  if (o.positional.size() != 1) return Usage("attrib needs FILE");
  const std::wstring& path = o.positional[0];
  if (o.has_set && !SetFileAttributesW(path.c_str(), static_cast<DWORD>(o.set_attributes))) {
    PrintError("SetFileAttributesW failed, error " + std::to_string(GetLastError()));
    return kExitFailed;
  }
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    PrintError("GetFileAttributesW failed, error " + std::to_string(GetLastError()));
    return kExitFailed;
  }
  JsonOut json;
  json.BeginObject();
  json.Key("attributes"), json.Int(attributes);
  json.Key("readonly"), json.Bool((attributes & FILE_ATTRIBUTE_READONLY) != 0);
  json.EndObject();
  PrintJson(json);
  return kExitOk;
}

int CommandDelete(const Options& o) {
  if (o.positional.size() != 1) return Usage("delete needs FILE");
  BOOL deleted = DeleteFileW(o.positional[0].c_str());
  DWORD error = deleted ? 0 : GetLastError();
  JsonOut json;
  json.BeginObject();
  json.Key("deleted"), json.Bool(deleted);
  json.Key("error"), json.Int(error);
  json.EndObject();
  PrintJson(json);
  return deleted ? kExitOk : kExitFailed;
}

// Opens FILE sharing only reading, so that nobody may delete or write it,
// reports that on stdout and keeps it open for MS milliseconds.
int CommandHold(const Options& o) {
  long ms = 0;
  if (o.positional.size() != 2 || !ParseNumber(o.positional[1], &ms)) return Usage("hold needs FILE MS");
  UniqueHandle file(CreateFileW(o.positional[0].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    PrintError("CreateFileW failed, error " + std::to_string(GetLastError()));
    return kExitFailed;
  }
  PrintYes("held");
  Sleep(static_cast<DWORD>(ms));
  return kExitOk;
}

int CommandKill(const Options& o) {
  if (o.positional.empty()) return Usage("kill needs PID...");
  int rc = kExitOk;
  for (const std::wstring& text : o.positional) {
    long pid = 0;
    if (!ParseNumber(text, &pid)) return Usage("bad PID " + Narrow(text));
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
    if (!process.valid() || !TerminateProcess(process.get(), 1)) {
      PrintError("cannot end process " + std::to_string(pid) + ", error " +
                 std::to_string(GetLastError()));
      rc = kExitFailed;
      continue;
    }
    WaitForSingleObject(process.get(), 5000);  // TerminateProcess does not wait
  }
  return rc;
}

// Wine closes the desktop (ends explorer.exe) 3 s after its last user has
// gone; a program that starts in that moment waits 10 s for a new one. A test
// session keeps this running so that the desktop stays.
int CommandIdle() {
  if (!GetDesktopWindow()) return kExitFailed;
  HWND window = CreateWindowExW(0, L"STATIC", L"twauto idle", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
  MSG msg;
  while (window && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return kExitOk;
}

int CommandRun(const Options& o) {
  if (o.status_file.empty() || o.command_line.empty())
    return Usage("run needs --status-file F --command-line L");
  long code = RunProgram(o.command_line, o.status_file);
  return code == -1 ? kExitFailed : static_cast<int>(code);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options o;
  std::string error = ParseArgs(argc, argv, &o);
  if (!error.empty()) return Usage(error);
  const std::wstring& c = o.command;
  if (c == L"wait" || c == L"press" || c == L"close" || c == L"settext" || c == L"post" ||
      c == L"items")
    return WindowCommand(o);
  if (c == L"none") return CommandNone(o);
  if (c == L"gone") return CommandGone(o);
  if (c == L"list") return CommandList(o);
  if (c == L"acp") return CommandAcp();
  if (c == L"clipboard") return CommandClipboard();
  if (c == L"attrib") return CommandAttrib(o);
  if (c == L"delete") return CommandDelete(o);
  if (c == L"hold") return CommandHold(o);
  if (c == L"run") return CommandRun(o);
  if (c == L"kill") return CommandKill(o);
  if (c == L"idle") return CommandIdle();
  return Usage("unknown command " + Narrow(c));
}
