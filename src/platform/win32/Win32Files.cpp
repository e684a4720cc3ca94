#include "platform/win32/Win32Files.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Exception.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Wide.h"

namespace vimbrel::win32 {

namespace {

[[noreturn]] void Raise(DWORD error) { throw EInOutError(static_cast<int>(error)); }
[[noreturn]] void RaiseLastError() { Raise(GetLastError()); }

std::wstring ToWide(const Path& path) { return std::wstring(path.begin(), path.end()); }

class Win32InputFile final : public InputFile {
 public:
  explicit Win32InputFile(FileHandle file) : file_(std::move(file)) {}

  std::size_t Read(char* buffer, std::size_t capacity) override {
    DWORD read = 0;
    if (!ReadFile(file_.Get(), buffer, static_cast<DWORD>(capacity), &read, nullptr)) {
      if (GetLastError() == ERROR_BROKEN_PIPE) return 0;
      RaiseLastError();
    }
    return read;
  }

  void Close() override {
    if (!CloseHandle(file_.Release())) RaiseLastError();
  }

 private:
  FileHandle file_;
};

// ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers lack.
constexpr DWORD kDiskQuotaExceeded = 1295;

bool IsLackOfSpace(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case kDiskQuotaExceeded:
    case ERROR_NOT_ENOUGH_QUOTA:
      return true;
    default:
      return false;
  }
}

void WriteAll(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) RaiseLastError();
    if (written == 0) Raise(ERROR_WRITE_FAULT);
    data += written;
    size -= written;
  }
}

void Rewind(HANDLE file) {
  if (!SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) RaiseLastError();
}

// Everything from the file's current position to its end.
std::string ReadToEnd(HANDLE file) {
  std::string content;
  char block[4096];
  DWORD read = 0;
  do {
    if (!ReadFile(file, block, sizeof block, &read, nullptr)) RaiseLastError();
    content.append(block, read);
  } while (read > 0);
  return content;
}

// A file's bytes as they were, put back when this goes unless dismissed: a
// list written in place that fails part-way is the old list again.
class OldContent {
 public:
  explicit OldContent(HANDLE file) : file_(file), bytes_(ReadToEnd(file)) {}
  ~OldContent() {
    if (file_ == nullptr) return;
    DWORD written = 0;
    // The old bytes take no more room than they had: putting them back does
    // not fail for lack of space.
    if (SetFilePointerEx(file_, LARGE_INTEGER{}, nullptr, FILE_BEGIN) &&
        WriteFile(file_, bytes_.data(), static_cast<DWORD>(bytes_.size()), &written, nullptr)) {
      SetEndOfFile(file_);
      FlushFileBuffers(file_);
    }
  }
  OldContent(const OldContent&) = delete;
  OldContent& operator=(const OldContent&) = delete;

  std::size_t Size() const { return bytes_.size(); }
  void Dismiss() { file_ = nullptr; }

 private:
  HANDLE file_;
  std::string bytes_;
};

// Makes room for `size` bytes where the file system can, so that content that
// will not fit fails before a byte of the file changes.
void Reserve(HANDLE file, std::size_t size) {
  FILE_ALLOCATION_INFO allocation{};
  allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
  if (SetFileInformationByHandle(file, FileAllocationInfo, &allocation, sizeof allocation)) return;
  const DWORD error = GetLastError();
  // Any other answer means the file system does not reserve; the writes tell.
  if (IsLackOfSpace(error)) Raise(error);
}

// Writes `content` over the list's own bytes, for a list that may be written
// but not replaced. A failure leaves the list as it was.
void WriteInPlace(const std::wstring& target, const std::string& content) {
  FileHandle list(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!list.Valid()) RaiseLastError();
  OldContent old(list.Get());
  if (content.size() > old.Size()) Reserve(list.Get(), content.size());
  Rewind(list.Get());
  WriteAll(list.Get(), content.data(), content.size());
  if (!SetEndOfFile(list.Get()) || !FlushFileBuffers(list.Get())) RaiseLastError();
  old.Dismiss();
  if (!CloseHandle(list.Release())) RaiseLastError();
}

// "<list>.~<digits>-<digits>.tmp": a file that a save of this program made
// beside the list named `list_name`.
bool IsSaveTempFileName(std::wstring_view list_name, std::wstring_view name) {
  const std::wstring_view infix = L".~";
  const std::wstring_view suffix = L".tmp";
  if (name.size() <= list_name.size() + infix.size() + suffix.size() ||
      CompareStringOrdinal(name.data(), static_cast<int>(list_name.size()), list_name.data(),
                           static_cast<int>(list_name.size()), TRUE) != CSTR_EQUAL ||
      name.substr(list_name.size(), infix.size()) != infix ||
      name.substr(name.size() - suffix.size()) != suffix) {
    return false;
  }
  const std::wstring_view numbers =
      name.substr(list_name.size() + infix.size(),
                  name.size() - list_name.size() - infix.size() - suffix.size());
  const std::size_t dash = numbers.find(L'-');
  auto digits = [](std::wstring_view text) {
    return !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring_view::npos;
  };
  return dash != std::wstring_view::npos && digits(numbers.substr(0, dash)) &&
         digits(numbers.substr(dash + 1));
}

// Removes what saves killed before they could put their new content in place
// left beside the list. A save still under way holds its file open without
// delete sharing, so its file stays.
void RemoveLeftoverTempFiles(const std::wstring& target) {
  const std::size_t name_start = target.find_last_of(L'\\') + 1;
  const std::wstring folder = target.substr(0, name_start);
  const std::wstring_view list_name = std::wstring_view(target).substr(name_start);
  WIN32_FIND_DATAW entry;
  FindHandle find(FindFirstFileW((target + L".~*.tmp").c_str(), &entry));
  if (!find.Valid()) return;
  do {
    if (IsSaveTempFileName(list_name, entry.cFileName)) {
      DeleteFileW((folder + entry.cFileName).c_str());
    }
  } while (FindNextFileW(find.Get(), &entry));
}

// Renames the open file over `target`, through its handle: no other save can
// take the file away between its last write and the rename.
bool RenameOver(HANDLE file, const std::wstring& target) {
  const std::size_t name_bytes = target.size() * sizeof(wchar_t);
  std::vector<std::byte> buffer(sizeof(FILE_RENAME_INFO) + name_bytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(name_bytes);
  target.copy(rename->FileName, target.size());
  return SetFileInformationByHandle(file, FileRenameInfo, rename,
                                    static_cast<DWORD>(buffer.size())) != 0;
}

// The list file's new content, kept until it can be written over the list in
// one go: for where the folder takes no new file beside the list.
class InPlaceOutputFile final : public OutputFile {
 public:
  explicit InPlaceOutputFile(std::wstring target) : target_(std::move(target)) {}

  void Write(const char* data, std::size_t size) override { content_.append(data, size); }

  void Commit() override {
    WriteInPlace(target_, content_);
    RemoveLeftoverTempFiles(target_);
  }

 private:
  std::wstring target_;
  std::string content_;
};

// Writes the new content into a file of its own beside the target and renames
// it into the target's place only once all of it is on disk.
class ReplacingOutputFile final : public OutputFile {
 public:
  ReplacingOutputFile(std::wstring target, FileHandle target_guard, std::wstring temp_path,
                      FileHandle temp)
      : target_(std::move(target)),
        target_guard_(std::move(target_guard)),
        temp_path_(std::move(temp_path)),
        temp_(std::move(temp)) {}

  ~ReplacingOutputFile() override {
    if (renamed_) return;
    temp_.Reset();
    DeleteFileW(temp_path_.c_str());
  }

  void Write(const char* data, std::size_t size) override { WriteAll(temp_.Get(), data, size); }

  void Commit() override {
    if (!FlushFileBuffers(temp_.Get())) RaiseLastError();
    target_guard_.Reset();
    if (RenameOver(temp_.Get(), target_)) {
      renamed_ = true;
      // The rename itself on disk, as the new content already is.
      FlushFileBuffers(temp_.Get());
      temp_.Reset();
    } else {
      const DWORD error = GetLastError();
      if (!SaveWritesInPlaceAfter(error)) Raise(error);
      // Another program holds the list without letting it be replaced (a
      // viewer that follows it): write it in place.
      Rewind(temp_.Get());
      WriteInPlace(target_, ReadToEnd(temp_.Get()));
    }
    RemoveLeftoverTempFiles(target_);
  }

 private:
  std::wstring target_;
  FileHandle target_guard_;
  std::wstring temp_path_;
  FileHandle temp_;
  bool renamed_ = false;
};

// The attributes that the list's replacement is made with (hidden, say), so
// that a save keeps them.
DWORD AttributesToKeep(DWORD list_attributes) {
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD kept = list_attributes == INVALID_FILE_ATTRIBUTES ? 0 : list_attributes & kKept;
  return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace

bool SaveWritesInPlaceAfter(unsigned long error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
         error == ERROR_LOCK_VIOLATION;
}

std::wstring ExtendedLengthPath(const Path& path) {
  std::wstring wide = ToWide(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) return wide;
  if (wide.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
  if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
  return wide;
}

Path Win32Files::ProgramPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) RaiseLastError();
    if (length < buffer.size()) {
      buffer.resize(length);
      return Path(buffer.begin(), buffer.end());
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string Win32Files::PathText(const Path& path) { return NarrowCp932(ToWide(path)); }

Path Win32Files::PathOf(std::string_view text) {
  const std::wstring wide = WidenCp932(text);
  return Path(wide.begin(), wide.end());
}

std::string Win32Files::SystemErrorText(int error_code) {
  const std::string text =
      TrimTrailingBlanksAndDots(NarrowCp932(SystemMessage(static_cast<DWORD>(error_code))));
  return text.empty() ? EInOutError::MessageFor(error_code) : text;
}

bool Win32Files::IsFile(const Path& path) {
  WIN32_FIND_DATAW entry;
  FindHandle find(FindFirstFileW(ExtendedLengthPath(path).c_str(), &entry));
  return find.Valid() && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::unique_ptr<InputFile> Win32Files::OpenForReading(const Path& path) {
  FileHandle file(CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) RaiseLastError();
  return std::make_unique<Win32InputFile>(std::move(file));
}

std::unique_ptr<OutputFile> Win32Files::OpenForReplacing(const Path& path) {
  std::wstring target = ExtendedLengthPath(path);
  // Asked first, because a process with the rights to write anyway (an
  // administrator under Wine) would otherwise replace a read-only list.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    Raise(ERROR_ACCESS_DENIED);
  }
  // Opening the file itself for writing tells at once whether it may be
  // replaced (read-only, held by another program), and holds it meanwhile.
  FileHandle guard(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!guard.Valid() && GetLastError() != ERROR_FILE_NOT_FOUND) RaiseLastError();
  // Held without delete sharing until it is renamed, so that no other
  // instance's clean-up takes it for a leftover. A name that a killed save
  // left (its process id used again) is passed over.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring temp_path = target + L".~" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(++temp_files_made_) + L".tmp";
    FileHandle temp(CreateFileW(temp_path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                FILE_SHARE_READ, nullptr, CREATE_NEW, AttributesToKeep(attributes),
                                nullptr));
    if (temp.Valid()) {
      return std::make_unique<ReplacingOutputFile>(std::move(target), std::move(guard),
                                                   std::move(temp_path), std::move(temp));
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
    if (!SaveWritesInPlaceAfter(error)) Raise(error);
    // The folder takes no new file while the list itself may be written.
    return std::make_unique<InPlaceOutputFile>(std::move(target));
  }
  Raise(ERROR_FILE_EXISTS);
}

void Win32Files::Append(const Path& path, std::string_view bytes) {
  // Append access alone puts every write at the end, also while another copy
  // appends; a viewer may read and others append meanwhile.
  FileHandle file(CreateFileW(ExtendedLengthPath(path).c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) RaiseLastError();
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    RaiseLastError();
  }
  if (written != bytes.size()) Raise(ERROR_DISK_FULL);
  if (!FlushFileBuffers(file.Get())) RaiseLastError();
}

std::uint64_t Win32Files::FileSize(const Path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(ExtendedLengthPath(path).c_str(), GetFileExInfoStandard, &data)) {
    return 0;
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Win32Files::Rename(const Path& from, const Path& to) {
  if (!MoveFileExW(ExtendedLengthPath(from).c_str(), ExtendedLengthPath(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING)) {
    RaiseLastError();
  }
}

}  // namespace vimbrel::win32
