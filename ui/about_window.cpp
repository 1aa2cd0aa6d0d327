#include "about_window.h"

#include "control_ids.h"
#include "product_links.h"
#include "version_text.h"
#include "window_kit.h"

namespace tw {

namespace {

enum AboutControl { kLName = 400, kLNotice = 401, kLAboutWeb = 402, kLMail = 403, kBOk = IDOK };

const int kAboutLinks[] = {kLAboutWeb, kLMail};

class AboutWindow : public Window {
 public:
  int run(HWND owner, const std::wstring& caption) {
    if (!create(L"Tfabout", caption + pick({L" - 정보", L" - About"}), WS_POPUP | WS_CAPTION | WS_SYSMENU, 400, 176,
                owner))
      return IDCANCEL;
    font_ = message_font();
    bold_ = message_font(true);
    link_ = message_font(false, true);
    std::wstring name = L"Tarnwick " + own_file_version();
    const ControlDef controls[] = {
        {kLName, Kind::kLabel, 16, 16, 368, 20, {name.c_str(), nullptr}},
        {kLNotice, Kind::kLabel, 16, 42, 368, 36,
         {L"프리웨어: 이 프로그램은 무료로 사용하고 배포할 수 있습니다.",
          L"Freeware: this program may be used and passed on free of charge."}},
        {kLAboutWeb, Kind::kLink, 16, 84, 368, 18, {TW_WEB_ADDRESS, nullptr}},
        {kLMail, Kind::kLink, 16, 106, 368, 18, {TW_MAIL_ADDRESS, nullptr}},
        {kBOk, Kind::kDefButton, 292, 136, 92, 28, {L"확인", L"OK"}},
    };
    create_controls(hwnd_, controls, sizeof controls / sizeof controls[0], font_.get());
    SendDlgItemMessageW(hwnd_, kLName, WM_SETFONT, WPARAM(bold_.get()), FALSE);
    for (int id : kAboutLinks) SendDlgItemMessageW(hwnd_, id, WM_SETFONT, WPARAM(link_.get()), FALSE);
    // An address this build was not given is not shown.
    if (!*TW_WEB_ADDRESS) ShowWindow(GetDlgItem(hwnd_, kLAboutWeb), SW_HIDE);
    if (!*TW_MAIL_ADDRESS) ShowWindow(GetDlgItem(hwnd_, kLMail), SW_HIDE);
    return show_modal();
  }

 protected:
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) end(LOWORD(wp));
        if (LOWORD(wp) == kLAboutWeb) open_link(TW_WEB_ADDRESS);
        if (LOWORD(wp) == kLMail) open_link(std::wstring(L"mailto:") + TW_MAIL_ADDRESS);
        return 0;
      case WM_CLOSE:
        end(IDCANCEL);
        return 0;
      case WM_SETCURSOR:
        if (is_link_cursor_request(hwnd_, wp, kAboutLinks, 2)) return TRUE;
        break;
      case WM_CTLCOLORSTATIC:
        if (is_one_of(HWND(lp), kAboutLinks, 2)) return link_colours(HDC(wp));
        break;
    }
    return Window::handle(msg, wp, lp);
  }

 private:
  Font font_, bold_, link_;
};

}  // namespace

void show_about(HWND owner, const std::wstring& caption) {
  AboutWindow about;
  about.run(owner, caption);
}

}  // namespace tw
