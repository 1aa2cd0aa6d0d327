#include "envvars_window.h"

#include <commctrl.h>

#include <vector>

#include "control_ids.h"
#include "window_kit.h"

namespace tw {

namespace {

struct Variable {
  std::wstring name, value;
};

// The wide environment block, in its order. An entry is split at its first
// "="; the hidden per-drive entries ("=C:=C:\...") have an empty name.
std::vector<Variable> environment_variables() {
  std::vector<Variable> out;
  wchar_t* block = GetEnvironmentStringsW();
  if (!block) return out;
  for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
    std::wstring entry(p);
    size_t eq = entry.find(L'=');
    if (eq == std::wstring::npos) {
      out.push_back({L"%" + entry + L"%", L""});
    } else {
      out.push_back({L"%" + entry.substr(0, eq) + L"%", entry.substr(eq + 1)});
    }
  }
  FreeEnvironmentStringsW(block);
  return out;
}

class EnvVarsWindow : public ClosableWindow {
 public:
  bool run(HWND owner, const std::wstring& owner_caption, std::wstring* name) {
    if (!create(L"Tfenvvars", owner_caption + pick({L" - 이 컴퓨터의 환경 변수",
                                                 L" - Environment variables of this computer"}),
                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME, 792, 552, owner))
      return false;
    font_ = message_font();
    const ControlDef controls[] = {
        {kVleEnvVars, Kind::kList, 8, 8, 776, 496, {}},
        {kLTip, Kind::kLabel, 8, 514, 670, 32,
         {L"팁: 변수 이름을 사용자 정의 폴더 편집 라인에 복사하려면 두 번 클릭하거나 Enter 키를 "
          L"누르십시오.",
          L"Tip: double-click a variable or press Enter to copy its name into the custom "
          L"folder edit."}},
        {kBClose, Kind::kDefButton, 692, 516, 92, 28, {L"닫기", L"Close"}},
    };
    create_controls(hwnd_, controls, 3, font_.get());
    fill_list();
    if (show_modal() != IDOK) return false;
    int row = int(SendMessageW(list(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    if (row < 0 || size_t(row) >= rows_.size()) return false;
    *name = rows_[size_t(row)].name;
    return true;
  }

 protected:
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_NOTIFY) {
      const NMHDR* h = reinterpret_cast<const NMHDR*>(lp);
      // A double-click on a data row; the title row is the header's own.
      if (h->idFrom == UINT_PTR(kVleEnvVars) && h->code == NM_DBLCLK &&
          reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem >= 0)
        end(IDOK);
      return 0;
    }
    return ClosableWindow::handle(msg, wp, lp);
  }

  bool preview_key(const MSG& msg) override {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return ClosableWindow::preview_key(msg);
    end(IDOK);
    return true;
  }

 private:
  HWND list() const { return GetDlgItem(hwnd_, kVleEnvVars); }

  void fill_list() {
    HWND l = list();
    SendMessageW(l, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const struct {
      Text title;
      int width;
    } columns[] = {{{L"변수", L"Variable"}, 200}, {{L"현재값", L"Current value"}, 571}};
    for (int i = 0; i < 2; ++i) {
      LVCOLUMNW c = {};
      c.mask = LVCF_TEXT | LVCF_WIDTH;
      c.pszText = const_cast<wchar_t*>(pick(columns[i].title));
      c.cx = scaled(columns[i].width);
      SendMessageW(l, LVM_INSERTCOLUMNW, WPARAM(i), reinterpret_cast<LPARAM>(&c));
    }
    rows_ = environment_variables();
    for (size_t i = 0; i < rows_.size(); ++i) {
      LVITEMW item = {};
      item.mask = LVIF_TEXT;
      item.iItem = int(i);
      item.pszText = &rows_[i].name[0];
      SendMessageW(l, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      item.iSubItem = 1;
      item.pszText = &rows_[i].value[0];
      SendMessageW(l, LVM_SETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    }
  }

  Font font_;
  std::vector<Variable> rows_;
};

}  // namespace

bool choose_environment_variable(HWND owner, const std::wstring& owner_caption,
                                 std::wstring* name) {
  EnvVarsWindow window;
  return window.run(owner, owner_caption, name);
}

}  // namespace tw
