#include "carried_resources.h"

#include <windows.h>

namespace tw {

namespace {

bool load(const wchar_t* type, const wchar_t* name, Blob* out) {
  HRSRC r = FindResourceW(nullptr, name, type);
  if (!r) return false;
  HGLOBAL g = LoadResource(nullptr, r);
  DWORD size = SizeofResource(nullptr, r);
  const void* p = g ? LockResource(g) : nullptr;
  if (!p || size == 0) return false;
  out->data = static_cast<const unsigned char*>(p);
  out->size = size;
  return true;
}

}  // namespace

bool load_carried_resources(CarriedResources* out) {
  if (!load(L"EXE", L"SFXHEAD", &out->stub) || !load(L"EXE", L"SELFDELETE", &out->self_delete) ||
      !load(L"XML", L"UAC", &out->manifest) || !load(L"TXT", L"CMDLINE", &out->usage))
    return false;
  load(L"TXT", L"CMDLINE_EN", &out->usage_en);
  return true;
}

}  // namespace tw
