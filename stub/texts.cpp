#include "texts.h"

namespace {

struct LanguagePair {
  unsigned char primary;  // low byte of the language identifier
  unsigned short code_page;
  unsigned char index;
};

// Pairs in table order; the last one that matches gives the index.
const LanguagePair kPairs[] = {
    {0x05, 1250, 1},   // Czech
    {0x36, 1252, 2},   // Afrikaans
    {0x01, 1256, 3},   // Arabic
    {0x02, 1251, 4},   // Bulgarian
    {0x03, 1252, 5},   // Catalan
    {0x07, 1252, 8},   // German
    {0x0A, 1252, 11},  // Spanish
    {0x0C, 1252, 13},  // French
    {0x11, 932, 19},   // Japanese
    {0x12, 949, 20},   // Korean
    {0x04, 936, 37},   // Chinese (simplified)
    {0x04, 950, 38},   // Chinese (traditional)
};

struct IndexedTexts {
  unsigned char index;
  StubTexts texts;
};

const StubTexts kEnglish = {L"Initialization", L"Please wait", L"Extract to", L"Overwrite file?",
                            L"The file is damaged or incomplete."};

const IndexedTexts kTexts[] = {
    {1, {L"Inicializace", L"\x010C" L"ekejte pros\x00EDm", L"Rozbalit do",
         L"P\x0159" L"epsat soubor?", nullptr}},
    {8, {L"Initialisierung", L"Bitte warten", L"Entpacken nach", L"Datei \x00FC" L"berschreiben?",
         nullptr}},
    {11, {L"Inicializaci\x00F3n", L"Espere, por favor", L"Extraer en", L"\x00BFSobrescribir el archivo?",
          nullptr}},
    {13, {L"Initialisation", L"Veuillez patienter", L"Extraire vers", L"Remplacer le fichier\x00A0?",
          nullptr}},
    {19, {L"初期化", L"お待ちください", L"展開先", L"ファイルを上書きしますか?", nullptr}},
    {20, {L"초기화", L"잠시 기다려 주십시오", L"압축 풀 위치", L"파일을 덮어쓰시겠습니까?",
          L"파일이 손상되었거나 완전하지 않습니다."}},
    {37, {L"初始化", L"请稍候", L"解压到", L"覆盖文件吗?", nullptr}},
    {38, {L"初始化", L"請稍候", L"解壓縮到", L"覆寫檔案嗎?", nullptr}},
};

}  // namespace

int choose_language(LANGID language, UINT code_page) {
  int index = 0;
  unsigned char primary = static_cast<unsigned char>(language & 0xFF);
  for (const LanguagePair& p : kPairs) {
    if (p.primary == primary && p.code_page == code_page) index = p.index;
  }
  return index;
}

const wchar_t* damaged_text(const StubTexts* texts) {
  return texts && texts->damaged ? texts->damaged : kEnglish.damaged;
}

const StubTexts& stub_texts(int language) {
  for (const IndexedTexts& t : kTexts) {
    if (t.index == language) return t.texts;
  }
  return kEnglish;
}
