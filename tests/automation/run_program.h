// "twauto run": starts a program and records what Wine's loader cannot pass
// back through a Unix exit status (only its low 8 bits survive there).
#pragma once

#include <string>

// Runs `command_line` (program name first, as CreateProcessW takes it) with
// twauto's standard handles, in a job that kills it if twauto is killed (its
// own children break away). Writes "pid N" and, once it has ended, "exit N"
// (the full 32-bit exit code) as lines of `status_file`. Returns the exit
// code, or -1 when the program could not be started (reported on stderr).
long RunProgram(const std::wstring& command_line, const std::wstring& status_file);
