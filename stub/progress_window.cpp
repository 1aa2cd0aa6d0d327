#include "progress_window.h"

#include "product_links.h"
#include "wide.h"

namespace progress {

namespace {

const wchar_t kClassName[] = L"tarnwickwindowclass";
const wchar_t kWebAddress[] = TW_WEB_ADDRESS;  // empty: no address line
const int kWidth = 320;
const int kHeight = 96;
// The bar, inside a sunken edge from (14, 58) to (306, 82).
const RECT kBar = {16, 60, 304, 80};
const DWORD kPaintEvery = 30;  // ms
const DWORD kPumpEvery = 10;   // ms

struct State {
  HWND hwnd;
  HFONT large;
  HFONT small;
  const StubTexts* texts;
  int64_t done;
  int64_t total;
  DWORD last_paint;  // tick counts of the last repaint and message check
  DWORD last_pump;
};
State g;

void paint_bar(HDC dc) {
  double fraction = g.total > 0 ? double(g.done) / double(g.total) : 0.0;
  if (fraction < 0) fraction = 0;
  if (fraction > 1) fraction = 1;
  int width = kBar.right - kBar.left;
  int split = kBar.left + int(fraction * width);

  wchar_t text[8];
  int percent = int(fraction * 100 + 0.5);
  int n = 0;
  if (percent >= 100) text[n++] = L'1';
  if (percent >= 10) text[n++] = wchar_t(L'0' + (percent / 10) % 10);
  text[n++] = wchar_t(L'0' + percent % 10);
  text[n++] = L' ';
  text[n++] = L'%';
  text[n] = 0;

  SelectObject(dc, g.large);
  SIZE extent;
  GetTextExtentPoint32W(dc, text, n, &extent);
  int x = (width - extent.cx) / 2 + kBar.left;
  const int y = 62;

  // The filled part, then the rest with the colours swapped; the text is
  // drawn clipped into each so that it changes colour where the bar ends.
  RECT filled = {kBar.left, kBar.top, split, kBar.bottom};
  RECT rest = {split, kBar.top, kBar.right, kBar.bottom};
  COLORREF bar = GetSysColor(COLOR_ACTIVECAPTION);
  COLORREF window = GetSysColor(COLOR_WINDOW);
  SetBkColor(dc, bar);
  SetTextColor(dc, window);
  ExtTextOutW(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &filled, text, n, nullptr);
  SetBkColor(dc, window);
  SetTextColor(dc, bar);
  ExtTextOutW(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &rest, text, n, nullptr);
}

void paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT all = {0, 0, kWidth, kHeight};
  DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);
  SetBkMode(dc, TRANSPARENT);

  SelectObject(dc, g.small);
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetTextAlign(dc, TA_RIGHT | TA_TOP);
  TextOutW(dc, kWidth - 8, 4, kWebAddress, int(wlen(kWebAddress)));

  SelectObject(dc, g.large);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  TextOutW(dc, 16, 12, g.texts->heading, int(wlen(g.texts->heading)));
  wchar_t waiting[128];
  wcopy(waiting, 128, g.texts->waiting);
  wappend(waiting, 128, L"...");
  TextOutW(dc, 16, 32, waiting, int(wlen(waiting)));

  RECT sunken = {14, 58, 306, 82};
  DrawEdge(dc, &sunken, EDGE_SUNKEN, BF_RECT);
  SetBkMode(dc, OPAQUE);
  paint_bar(dc);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      paint(hwnd);
      return 0;
    case WM_CLOSE:
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HFONT make_font(int height) {
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
}

}  // namespace

bool open(const StubTexts* texts) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = window_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) return false;

  g.texts = texts;
  g.large = make_font(16);
  g.small = make_font(10);
  int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  g.hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP | WS_VISIBLE, x, y, kWidth,
                           kHeight, nullptr, nullptr, instance, nullptr);
  if (!g.hwnd) return false;
  UpdateWindow(g.hwnd);
  g.last_pump = GetTickCount() - kPumpEvery;
  pump();
  return true;
}

HWND window() { return g.hwnd; }

void update(int64_t done, int64_t total) {
  g.done = done;
  g.total = total;
  // At most every few milliseconds (and at the end): repainting after each
  // of thousands of small files costs more than their extraction.
  DWORD now = GetTickCount();
  if (!g.hwnd || (now - g.last_paint < kPaintEvery && done < total)) return;
  g.last_paint = now;
  InvalidateRect(g.hwnd, &kBar, FALSE);
  UpdateWindow(g.hwnd);
}

void close() {
  if (g.hwnd) DestroyWindow(g.hwnd);
  g.hwnd = nullptr;
  if (g.large) DeleteObject(g.large);
  if (g.small) DeleteObject(g.small);
  g.large = g.small = nullptr;
}

void pump() {
  // Only the window has messages worth taking, and a look every few
  // milliseconds keeps it responsive.
  DWORD now = GetTickCount();
  if (!g.hwnd || now - g.last_pump < kPumpEvery) return;
  g.last_pump = now;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace progress
