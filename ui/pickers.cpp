#include "pickers.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "file_filter.h"
#include "validation.h"
#include "win_paths.h"

namespace tw {

namespace {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  T* operator->() const { return p_; }
  T** out() { return &p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

class CoTaskText {
 public:
  CoTaskText() = default;
  CoTaskText(const CoTaskText&) = delete;
  CoTaskText& operator=(const CoTaskText&) = delete;
  ~CoTaskText() { CoTaskMemFree(p_); }
  PWSTR* out() { return &p_; }
  PWSTR get() const { return p_; }

 private:
  PWSTR p_ = nullptr;
};

enum class Picked { kChosen, kCancelled, kUnavailable };

// The folder dialog of Vista and later.
Picked pick_folder_modern(HWND owner, const std::wstring& current, std::wstring* chosen) {
  ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, reinterpret_cast<void**>(dialog.out()))))
    return Picked::kUnavailable;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  if (FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM)))
    return Picked::kUnavailable;
  if (directory_exists(current)) {
    ComPtr<IShellItem> start;
    if (SUCCEEDED(SHCreateItemFromParsingName(current.c_str(), nullptr, IID_IShellItem,
                                              reinterpret_cast<void**>(start.out()))))
      dialog->SetFolder(start.get());
  }
  HRESULT shown = dialog->Show(owner);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return Picked::kCancelled;
  if (FAILED(shown)) return Picked::kUnavailable;
  ComPtr<IShellItem> item;
  CoTaskText path;
  if (FAILED(dialog->GetResult(item.out())) ||
      FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.out())))
    return Picked::kCancelled;
  *chosen = path.get();
  return Picked::kChosen;
}

int CALLBACK preselect(HWND dialog, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

// The shell's folder browser: no title, no root, file-system folders only.
bool pick_folder_classic(HWND owner, const std::wstring& current, std::wstring* chosen) {
  BROWSEINFOW bi = {};
  bi.hwndOwner = owner;
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  if (directory_exists(current)) {
    bi.lpfn = preselect;
    bi.lParam = reinterpret_cast<LPARAM>(current.c_str());
  }
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&bi);
  if (!list) return false;
  wchar_t path[MAX_PATH] = {};
  bool ok = SHGetPathFromIDListW(list, path) != FALSE;
  CoTaskMemFree(list);
  if (ok) *chosen = path;
  return ok;
}

struct FileDialog {
  std::vector<FilterEntry> entries;
  std::wstring filter, folder;
  std::vector<wchar_t> name = std::vector<wchar_t>(32768, L'\0');
  OPENFILENAMEW ofn = {};

  FileDialog(HWND owner, const std::wstring& current, const std::wstring& filter_text)
      : entries(parse_filter(filter_text)), filter(dialog_filter(entries)) {
    std::wstring text = trim(current);
    folder = folder_part(text);
    std::wstring initial = name_part(text);
    initial.copy(name.data(), name.size() - 1);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = DWORD(filter_index_for(entries, text));
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = DWORD(name.size());
    if (!folder.empty() && directory_exists(folder)) ofn.lpstrInitialDir = folder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  }
};

}  // namespace

bool pick_folder(HWND owner, const std::wstring& current, std::wstring* chosen) {
  std::wstring folder = trim(current);
  Picked p = pick_folder_modern(owner, folder, chosen);
  if (p == Picked::kUnavailable) return pick_folder_classic(owner, folder, chosen);
  return p == Picked::kChosen;
}

bool pick_save_file(HWND owner, const std::wstring& current, const std::wstring& filter,
                    const wchar_t* default_extension, std::wstring* chosen) {
  FileDialog d(owner, current, filter);
  d.ofn.nFilterIndex = 1;
  d.ofn.lpstrDefExt = default_extension;
  if (!GetSaveFileNameW(&d.ofn)) return false;
  *chosen = d.name.data();
  return true;
}

bool pick_open_file(HWND owner, const std::wstring& current, const std::wstring& filter,
                    std::wstring* chosen) {
  // No default extension for the dialog itself: the selected filter entry
  // decides the extension of a bare name.
  FileDialog d(owner, current, filter);
  if (!GetOpenFileNameW(&d.ofn)) return false;
  *chosen = with_filter_extension(trim(d.name.data()), d.entries, int(d.ofn.nFilterIndex));
  return true;
}

}  // namespace tw
