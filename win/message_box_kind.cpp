#include "message_box_kind.h"

namespace tw {

const char* message_box_title(BoxKind kind) {
  switch (kind) {
    case BoxKind::kError: return "오류";
    case BoxKind::kInformation: return "정보";
    case BoxKind::kWarning: return "경고";
    case BoxKind::kQuestion: return "확인";
  }
  return "";
}

unsigned message_box_flags(BoxKind kind, bool no_default) {
  switch (kind) {
    case BoxKind::kError: return 0x10;        // MB_ICONERROR | MB_OK
    case BoxKind::kInformation: return 0x40;  // MB_ICONINFORMATION | MB_OK
    case BoxKind::kWarning: return 0x30;      // MB_ICONWARNING | MB_OK
    case BoxKind::kQuestion:                  // MB_ICONQUESTION | MB_YESNO
      return no_default ? 0x124 : 0x24;       // [| MB_DEFBUTTON2]
  }
  return 0;
}

}  // namespace tw
