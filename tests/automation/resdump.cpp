// resdump FILE: lists the resources of a PE file as the system's own
// resource functions see them (loaded as a data file, then enumerated), for
// tests that hold them against an independent reader. Prints one JSON array
// of {"type", "name", "lang", "size", "sum"} (type and name as numbers or
// strings, sum the byte sum of the data). Exit codes: 0 listed, 2 usage
// error, 3 not loadable.
#include <windows.h>

#include <string>

#include "json_out.h"

namespace {

void Name(JsonOut& json, const char* key, LPCWSTR name) {
  json.Key(key);
  if (IS_INTRESOURCE(name))
    json.Int(reinterpret_cast<uintptr_t>(name));
  else
    json.String(name, wcslen(name));
}

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD lang, LONG_PTR param) {
  JsonOut& json = *reinterpret_cast<JsonOut*>(param);
  HRSRC found = FindResourceExW(module, type, name, lang);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  auto data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
  DWORD size = found ? SizeofResource(module, found) : 0;
  uint32_t sum = 0;
  for (DWORD i = 0; data && i < size; ++i) sum += data[i];
  json.BeginObject();
  Name(json, "type", type);
  Name(json, "name", name);
  json.Key("lang");
  json.Int(lang);
  json.Key("size");
  json.Int(data ? int64_t(size) : -1);
  json.Key("sum");
  json.Int(sum);
  json.EndObject();
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  return EnumResourceLanguagesW(module, type, name, OnLanguage, param) || TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
  return EnumResourceNamesW(module, type, OnName, param) || TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return 3;
  JsonOut json;
  json.BeginArray();
  EnumResourceTypesW(module, OnType, reinterpret_cast<LONG_PTR>(&json));
  json.EndArray();
  FreeLibrary(module);
  std::string text = json.text() + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
  return 0;
}
