#include <windows.h>

#include <string.h>

#include <exception>

#include "message_box.h"
#include "startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The last line of defence: whatever escapes ends with an error box and
  // exit code 1, never with the runtime's crash dialog.
  try {
    return tw::run_maker();
  } catch (const std::exception& e) {
    tw::show_error(L"Tarnwick: " + std::wstring(e.what(), e.what() + strlen(e.what())));
  } catch (...) {
    tw::show_error(L"Tarnwick: unexpected error");
  }
  return 1;
}
