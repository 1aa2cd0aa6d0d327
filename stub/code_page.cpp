#include "code_page.h"

#include "container_format.h"
#include "header_texts.h"

UINT stored_code_page() {
  HRSRC found = FindResourceW(nullptr, L"CODEPAGE", MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!found) return GetACP();
  HGLOBAL loaded = SizeofResource(nullptr, found) >= 4 ? LoadResource(nullptr, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return 0;
  UINT code_page = tw::get_u32le(static_cast<const unsigned char*>(data));
  return tw::is_recorded_code_page(code_page) ? code_page : 0;
}

bool decode_stored_text(UINT code_page, const char* text, wchar_t* out, int cap) {
  return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text, -1, out, cap) > 0;
}
