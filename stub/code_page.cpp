#include "code_page.h"

#include "container_format.h"

UINT stored_code_page() {
  HRSRC found = FindResourceW(nullptr, L"CODEPAGE", MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (found && SizeofResource(nullptr, found) >= 4) {
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data) {
      UINT code_page = tw::get_u32le(static_cast<const unsigned char*>(data));
      if (IsValidCodePage(code_page)) return code_page;
    }
  }
  return GetACP();
}
