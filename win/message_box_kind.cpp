#include "message_box_kind.h"

namespace tw {

const char* message_box_title(BoxKind kind, Language language) {
  const bool ko = language == Language::kKorean;
  switch (kind) {
    case BoxKind::kError: return ko ? "오류" : "Error";
    case BoxKind::kInformation: return ko ? "정보" : "Information";
    case BoxKind::kWarning: return ko ? "경고" : "Warning";
    case BoxKind::kQuestion: return ko ? "확인" : "Confirm";
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
