#include "progress_window.h"

#include <commctrl.h>


#include "build_error_text.h"
#include "build_procedure.h"
#include "control_ids.h"
#include "message_box.h"
#include "message_ids.h"
#include "messages.h"
#include "progress_math.h"
#include "validation.h"
#include "validation_host_win.h"

namespace tw {

namespace {

const ControlDef kControls[] = {
    {kLFile, Kind::kLabel, 12, 12, 92, 18, {L"파일 진행:", L"File:"}},
    {kLProgressSource, Kind::kRightLabel, 107, 12, 513, 18, {}},
    {kPbFile, Kind::kProgress, 12, 32, 608, 18, {}},
    {kLTotal, Kind::kLabel, 12, 60, 92, 18, {L"총 진행 상황:", L"Total:"}},
    {kLProgressTarget, Kind::kRightLabel, 107, 60, 513, 18, {}},
    {kPbTotal, Kind::kProgress, 12, 80, 608, 18, {}},
    {kLLSize, Kind::kLabel, 12, 118, 92, 18, {L"처리된 바이트:", L"Bytes done:"}},
    {kLSize, Kind::kLabel, 107, 118, 300, 18, {}},
    {kBCancel, Kind::kButton, 520, 112, 100, 28, {L"취소", L"Cancel"}},
};

const Text kStopping = {L"중단하는 중...", L"Stopping..."};

// Whether the target exists before the build (the options as the build
// will normalise them).
bool target_exists(BuildOptions o) {
  WinValidationHost host;
  normalise(&o, host);
  return host.file_exists(o.target_file);
}

void set_bar(HWND window, int id, int position, int* last) {
  if (*last == position) return;
  *last = position;
  SendDlgItemMessageW(window, id, PBM_SETPOS, WPARAM(position), 0);
}

}  // namespace

int ProgressWindow::run(HWND owner, const std::wstring& caption) {
  if (!create(L"Tfprogress", caption, WS_POPUP | WS_CAPTION, 632, 152, owner)) return IDCANCEL;
  font_ = message_font();
  create_controls(hwnd_, kControls, sizeof kControls / sizeof kControls[0], font_.get());
  for (int id : {kLSize, kLProgressSource, kLProgressTarget}) set_control_text(hwnd_, id, L"");
  return show_modal();
}

LRESULT ProgressWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wp) PostMessageW(hwnd_, kStartMessage, kStartMessage, kStartMessage);
      break;
    case kStartMessage:
      if (wp == kStartMessage && lp == LPARAM(kStartMessage) && !building_) run_build();
      return 0;
    case WM_COMMAND:
      // The button and Esc both cancel; the window stays until the build
      // has returned.
      if (LOWORD(wp) == kBCancel || LOWORD(wp) == IDCANCEL) request_cancel();
      return 0;
    case WM_CLOSE:
      return 0;
  }
  return Window::handle(msg, wp, lp);
}

void ProgressWindow::run_build() {
  building_ = true;
  cancel_ = false;
  set_message_box_owner(hwnd_);
  int result = IDCANCEL;
  try {
    BuildOptions o = read_options_();
    o.data_compressed = true;
    target_existed_ = target_exists(o);
    result = build_sfx(o, flags_, carried_, *this) ? IDOK : IDCANCEL;
  } catch (...) {
    show_error(describe_current_exception());
  }
  set_message_box_owner(owner_);
  building_ = false;
  end(result);
}

void ProgressWindow::request_cancel() {
  if (cancel_) return;
  cancel_ = true;
  EnableWindow(GetDlgItem(hwnd_, kBCancel), FALSE);
  set_control_text(hwnd_, kLProgressSource, pick(kStopping));
}

bool ProgressWindow::pump() {
  if (!pump_pending()) request_cancel();
  return cancel_;
}

bool ProgressWindow::waiting() { return pump(); }

void ProgressWindow::show_labels(const std::wstring& source, const std::wstring& target) {
  if (!cancel_) set_control_text(hwnd_, kLProgressSource, source);
  set_control_text(hwnd_, kLProgressTarget, target);
  pump();
}

void ProgressWindow::show_source(const std::wstring& path) {
  if (!cancel_) set_control_text(hwnd_, kLProgressSource, path);
  pump();
}

void ProgressWindow::progress(uint64_t file_done, uint64_t file_size, uint64_t done_before,
                              uint64_t total) {
  uint64_t done = done_before + file_done;
  set_bar(hwnd_, kPbFile, file_bar_position(file_done, file_size), &file_bar_);
  set_bar(hwnd_, kPbTotal, total_bar_position(done, total), &total_bar_);
  if (total) set_control_text(hwnd_, kLSize, size_line(done, total));
  pump();
}

void ProgressWindow::finished(bool completed) {
  if (!completed) {
    show_warning(load_message(target_existed_ ? kMsgBuildCancelledKept : kMsgBuildCancelled));
  } else if (flags_.show_success) {
    show_information(load_message(kMsgBuildSucceeded));
  }
}

}  // namespace tw
