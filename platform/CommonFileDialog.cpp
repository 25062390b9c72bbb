// GetOpenFileNameW / GetSaveFileNameW with the request's filters, folder and name.
#include "platform/CommonFileDialog.h"

#include <windows.h>

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/Paths.h"

namespace tarnwick::platform {

namespace {

constexpr DWORD kPathCapacity = 32768;  // the longest path the system takes, terminator included

// "Name\0*.a;*.b\0...\0\0": the filter list the common dialogs read.
std::wstring filterList(const FileDialogRequest& request) {
  std::wstring list;
  for (const FileDialogFilter& filter : request.filters) {
    std::wstring patterns;
    for (const std::string& extension : filter.extensions) {
      if (!patterns.empty()) patterns += L';';
      patterns += extension == "*" ? L"*.*" : L"*." + fileSystemPath(extension.c_str()).native();
    }
    if (patterns.empty()) patterns = L"*.*";
    list += fileSystemPath(filter.name.c_str()).native();
    list += L'\0';
    list += patterns;
    list += L'\0';
  }
  list += L'\0';
  return list;
}

}  // namespace

CommonDialogResult runCommonFileDialog(const FileDialogRequest& request, void* owner, std::string& path) {
  try {
    HWND window = static_cast<HWND>(owner);
    if (window && !IsWindow(window)) window = nullptr;
    if (window) window = GetAncestor(window, GA_ROOT);

    const std::wstring filters = filterList(request);
    const std::wstring title = fileSystemPath(request.title.c_str()).native();
    const std::wstring folder = fileSystemPath(request.folder.c_str()).make_preferred().native();
    const std::wstring name = fileSystemPath(request.fileName.c_str()).native();
    std::vector<wchar_t> file(kPathCapacity, L'\0');
    if (name.size() < kPathCapacity) std::copy(name.begin(), name.end(), file.begin());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = filters.size() > 1 ? filters.c_str() : nullptr;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kPathCapacity;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // OFN_NOCHANGEDIR: the host's current folder is the host's.
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!request.save) dialog.Flags |= OFN_FILEMUSTEXIST;

    BOOL chosen = request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME && file[0] != L'\0') {
      // A proposed name the system refuses (an older build's odd bytes): the dialog opens without it.
      std::fill(file.begin(), file.end(), L'\0');
      chosen = request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    }
    if (!chosen) return CommDlgExtendedError() == 0 ? CommonDialogResult::kCancelled : CommonDialogResult::kFailed;
    file.back() = L'\0';
    path = utf8FromPath(std::filesystem::path(std::wstring(file.data())));
    return path.empty() ? CommonDialogResult::kCancelled : CommonDialogResult::kChosen;
  } catch (...) {
    return CommonDialogResult::kFailed;
  }
}

}  // namespace tarnwick::platform
