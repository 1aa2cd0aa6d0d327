// resdump: lists the resources of a PE file as the system's own resource
// functions see them (the file loaded as a data file, then enumerated), so
// that tests can hold them against an independent reader.
//
//   resdump FILE
//
// Prints one JSON array: {"type", "name", "lang", "size", "sum"} per
// resource, type and name as numbers or strings, sum the byte sum of the
// data. Exit codes: 0 listed, 2 usage error, 3 not loadable.
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

struct Walk {
  JsonOut json;
  LPCWSTR type = nullptr;
  LPCWSTR name = nullptr;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD lang, LONG_PTR param) {
  Walk& w = *reinterpret_cast<Walk*>(param);
  HRSRC found = FindResourceExW(module, type, name, lang);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const unsigned char* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
  DWORD size = found ? SizeofResource(module, found) : 0;
  uint32_t sum = 0;
  for (DWORD i = 0; data && i < size; ++i) sum += data[i];
  w.json.BeginObject();
  Name(w.json, "type", type);
  Name(w.json, "name", name);
  w.json.Key("lang");
  w.json.Int(lang);
  w.json.Key("size");
  w.json.Int(found ? int64_t(size) : -1);
  w.json.Key("sum");
  w.json.Int(sum);
  w.json.EndObject();
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  EnumResourceLanguagesW(module, type, name, OnLanguage, param);
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
  EnumResourceNamesW(module, type, OnName, param);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return 3;
  Walk walk;
  walk.json.BeginArray();
  EnumResourceTypesW(module, OnType, reinterpret_cast<LONG_PTR>(&walk));
  walk.json.EndArray();
  FreeLibrary(module);
  std::string text = walk.json.text() + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
  return 0;
}
