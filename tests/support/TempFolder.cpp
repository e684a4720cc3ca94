#include "support/TempFolder.h"

#include <algorithm>
#include <stdexcept>

#include "platform/win32/Handle.h"
#include "platform/win32/Win32Files.h"

namespace vimbrel::testing {

namespace {

std::wstring Extended(const vimbrel::Path& path) { return win32::ExtendedLengthPath(path); }

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  win32::FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
  if (find.Valid()) {
    do {
      std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = folder + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find.Get(), &entry));
  }
  find.Reset();
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempFolder::TempFolder(const std::wstring& base) {
  std::wstring parent = base;
  if (parent.empty()) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    parent = temp;
  }
  if (parent.back() != L'\\') parent += L'\\';
  // Wine gives out the same process ids run after run, and a folder that an
  // earlier run could not remove may still be there: the next name is taken.
  static unsigned counter = 0;
  std::wstring name;
  for (;;) {
    name = parent + L"vimbrel-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
    if (CreateDirectoryW(name.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no temporary folder");
  }
  path_.assign(name.begin(), name.end());
}

TempFolder::~TempFolder() { RemoveTree(Extended(path_)); }

void TempFolder::Write(const vimbrel::Path& path, const std::string& bytes) const {
  win32::FileHandle file(CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file.Valid() ||
      !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    throw std::runtime_error("cannot write a test file");
  }
}

std::string TempFolder::Read(const vimbrel::Path& path) const {
  // A file that another process is writing (a test browser's log, a line at a
  // time) is read once that process has let go of it.
  win32::FileHandle file;
  for (const DWORD start = GetTickCount();; Sleep(5)) {
    file.Reset(CreateFileW(Extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Valid() || GetLastError() != ERROR_SHARING_VIOLATION) break;
    if (GetTickCount() - start > 5000) break;
  }
  if (!file.Valid()) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  return bytes;
}

std::vector<std::wstring> TempFolder::Entries(const vimbrel::Path& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  win32::FindHandle find(FindFirstFileW((Extended(folder) + L"\\*").c_str(), &entry));
  if (!find.Valid()) return names;
  do {
    std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find.Get(), &entry));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace vimbrel::testing
