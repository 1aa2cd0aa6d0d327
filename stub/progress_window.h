#pragma once
// The stub's one window: a small caption-less box in the middle of the
// screen with a heading, a waiting line and a percentage bar. The user
// cannot close it; it lives from the language choice to the end of the
// extraction (never shown in silent mode).
#include <stdint.h>
#include <windows.h>

#include "texts.h"

namespace progress {

// Registers the class and shows the window. False when it cannot be made
// (the run then goes on without it).
bool open(const StubTexts* texts);
HWND window();
// Sets the bar to done / total and repaints it (at most every few
// milliseconds, and when done reaches total).
void update(int64_t done, int64_t total);
// Destroys the window and its fonts (nothing when there is none).
void close();
// Takes and dispatches every waiting message: only when the window exists,
// at most every few milliseconds.
void pump();

}  // namespace progress
