#pragma once
// The little toolkit the maker's windows share: a window object behind each
// window class, modal showing, message pumping with dialog keyboard
// handling, the system message font, control creation from a table and
// layout in 96-dpi pixels scaled to the screen.
#include <windows.h>

#include <string>

#include "language.h"

namespace tw {

// Move-only owner of a GDI font.
class Font {
 public:
  Font() = default;
  explicit Font(HFONT f) : f_(f) {}
  Font(Font&& o) noexcept : f_(o.f_) { o.f_ = nullptr; }
  Font& operator=(Font&& o) noexcept {
    if (this != &o) {
      reset();
      f_ = o.f_;
      o.f_ = nullptr;
    }
    return *this;
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  ~Font() { reset(); }
  HFONT get() const { return f_; }

 private:
  void reset() {
    if (f_) DeleteObject(f_);
    f_ = nullptr;
  }
  HFONT f_ = nullptr;
};

// The system's message font (bold on request), or a fixed-width face of the
// same height for the memos: Courier New, or in Korean one that has Hangul
// (Courier New has none).
Font message_font(bool bold = false, bool underline = false);
Font memo_font();

// 96-dpi pixels to the screen's pixels.
int scaled(int pixels);

enum class Kind { kGroup, kLabel, kRightLabel, kLink, kEdit, kButton, kDefButton, kRadio,
                  kCheck, kWrappedCheck, kProgress, kMemo, kList };

struct ControlDef {
  int id;
  Kind kind;
  int x, y, w, h;  // 96-dpi pixels of the client area
  Text text;       // Korean and English
};

HWND create_control(HWND parent, const ControlDef& def, HFONT font);
void create_controls(HWND parent, const ControlDef* specs, size_t count, HFONT font);

std::wstring window_text(HWND hwnd);
std::wstring control_text(HWND parent, int id);
void set_control_text(HWND parent, int id, const std::wstring& text);

// A window object: one per window of a registered class. Keyboard
// messages reach preview_key first, then the dialog keyboard handling. The
// keyboard focus goes to the first control when the window is first
// activated, and back to the control that had it when the window is
// activated again (after a dialog or a message box it owned).
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();
  HWND hwnd() const { return hwnd_; }

  // Shows the window modal to its owner and runs messages until end().
  int show_modal();
  void end(int result);

 protected:
  // Creates a window with a client area of the given 96-dpi size, centred
  // on the owner (on the screen's work area without one).
  bool create(const wchar_t* class_name, const std::wstring& caption, DWORD style, int width,
              int height, HWND owner);
  virtual LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
  virtual bool preview_key(const MSG&) { return false; }

  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  friend bool dispatch_with_keys(MSG* msg);
  void note_focus();
  void restore_focus();
  HWND focus_ = nullptr;  // the control that had the focus last
  bool modal_ = false;
  bool ended_ = false;
  int result_ = IDCANCEL;
};

// A helper dialog with a close button (id kBClose) that is its default
// button; the button, Esc and the caption's close box end it with IDCANCEL.
class ClosableWindow : public Window {
 protected:
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;
  bool preview_key(const MSG& msg) override;
  virtual void on_command(int) {}
};

// Translates and dispatches one message, giving the window it belongs to
// its key preview and dialog keyboard handling first.
bool dispatch_with_keys(MSG* msg);
// Runs every pending message; false when a quit message arrived (it is
// posted again for the outer loop).
bool pump_pending();

// Link labels: blue, underlined, hand cursor.
bool is_one_of(HWND control, const int* ids, size_t count);
bool is_link_cursor_request(HWND parent, WPARAM wp, const int* link_ids, size_t count);
// The answer to WM_CTLCOLORSTATIC for a link label.
LRESULT link_colours(HDC dc);
void open_link(const std::wstring& text);

}  // namespace tw

namespace tw {

// The private message a window posts itself when shown (both parameters
// carry the same number).
const UINT kStartMessage = 0xD00;

}  // namespace tw
