#pragma once
// The single way out of the stub: report the error (unless silent), clean
// up what run mode extracted, hand over to the self-delete helper after a
// good run, release the instance mutex and end the process.
#include <windows.h>

// Ends with `code` as the exit code.
[[noreturn]] void finish(const wchar_t* text, DWORD code);

// Ends a run that went well (code 0 for everything above) with the exit code
// of the program that was run.
[[noreturn]] void finish_with_exit_code(DWORD exit_code);
