#include "run_program.h"

#include <windows.h>

#include <cstdio>

#include "unique_handle.h"

namespace {

void MakeInheritable(DWORD which) {
  HANDLE h = GetStdHandle(which);
  if (h && h != INVALID_HANDLE_VALUE) SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
}

void WriteLine(HANDLE file, const char* key, unsigned long value) {
  char line[40];
  int n = snprintf(line, sizeof line, "%s %lu\n", key, value);
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
  FlushFileBuffers(file);
}

// A job that ends the program when its last handle closes, also when twauto
// itself is killed; processes the program starts are not part of it.
HANDLE CreateKillJob() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

void Report(const char* what) {
  char line[160];
  int n = snprintf(line, sizeof line, "twauto: %s failed, error %lu\n", what, GetLastError());
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(n), &written, nullptr);
}

// Wine, on a machine kept busy, now and then fails to bring up a new process
// (ERROR_INTERNAL_ERROR) before any of it has run: then it is tried again.
bool StartSuspended(const std::wstring& command_line, STARTUPINFOW& si, PROCESS_INFORMATION* pi) {
  for (int attempt = 1;; ++attempt) {
    std::wstring command(command_line);  // CreateProcessW may write into it
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                       nullptr, &si, pi))
      return true;
    if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 3) return false;
    Sleep(1000);
  }
}

}  // namespace

long RunProgram(const std::wstring& command_line, const std::wstring& status_file) {
  UniqueHandle status(CreateFileW(status_file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!status.valid()) {
    Report("creating the status file");
    return -1;
  }
  MakeInheritable(STD_INPUT_HANDLE);
  MakeInheritable(STD_OUTPUT_HANDLE);
  MakeInheritable(STD_ERROR_HANDLE);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  if (!StartSuspended(command_line, si, &pi)) {
    Report("CreateProcessW");
    return -1;
  }
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  UniqueHandle job(CreateKillJob());
  if (job.valid() && !AssignProcessToJobObject(job.get(), process.get())) job.reset(nullptr);
  WriteLine(status.get(), "pid", pi.dwProcessId);
  ResumeThread(thread.get());
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  WriteLine(status.get(), "exit", code);
  return static_cast<long>(code);
}
