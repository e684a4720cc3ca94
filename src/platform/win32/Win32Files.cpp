#include "platform/win32/Win32Files.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/Exception.h"
#include "platform/win32/Handle.h"

namespace vimbrel::win32 {

namespace {

[[noreturn]] void RaiseLastError() { throw EInOutError(static_cast<int>(GetLastError())); }

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

bool IsLackOfSpace(DWORD error) {
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

void WriteAll(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) RaiseLastError();
    if (written == 0) throw EInOutError(ERROR_WRITE_FAULT);
    data += written;
    size -= written;
  }
}

// Opens the list file for writing in place and empties it, as a plain save
// does, keeping its attributes.
FileHandle OpenInPlace(const std::wstring& target) {
  FileHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid() || !SetEndOfFile(file.Get())) RaiseLastError();
  return file;
}

// Removes what saves killed before they could put their new content in place
// left beside the list file. One still being written by another instance is
// open without delete sharing and stays.
void RemoveLeftoverTempFiles(const std::wstring& target) {
  const std::wstring folder = target.substr(0, target.find_last_of(L'\\') + 1);
  WIN32_FIND_DATAW entry;
  FindHandle find(FindFirstFileW((target + L".~*.tmp").c_str(), &entry));
  if (!find.Valid()) return;
  do {
    DeleteFileW((folder + entry.cFileName).c_str());
  } while (FindNextFileW(find.Get(), &entry));
}

// Writes straight into the list file: where it may be written but not
// replaced, so that every save that writing in place allows succeeds.
class InPlaceOutputFile final : public OutputFile {
 public:
  InPlaceOutputFile(std::wstring target, FileHandle file)
      : target_(std::move(target)), file_(std::move(file)) {}

  void Write(const char* data, std::size_t size) override { WriteAll(file_.Get(), data, size); }

  void Commit() override {
    if (!CloseHandle(file_.Release())) RaiseLastError();
    RemoveLeftoverTempFiles(target_);
  }

 private:
  std::wstring target_;
  FileHandle file_;
};

// Writes the new content into a file of its own beside the target and moves
// it into the target's place only once all of it is on disk.
class ReplacingOutputFile final : public OutputFile {
 public:
  ReplacingOutputFile(std::wstring target, FileHandle target_guard, std::wstring temp,
                      FileHandle file)
      : target_(std::move(target)),
        target_guard_(std::move(target_guard)),
        temp_(std::move(temp)),
        file_(std::move(file)) {}

  ~ReplacingOutputFile() override {
    if (moved_) return;
    file_.Reset();
    DeleteFileW(temp_.c_str());
  }

  void Write(const char* data, std::size_t size) override { WriteAll(file_.Get(), data, size); }

  void Commit() override {
    if (!FlushFileBuffers(file_.Get())) RaiseLastError();
    if (!CloseHandle(file_.Release())) RaiseLastError();
    // The replacement keeps the attributes the old file had (hidden, say).
    DWORD attributes = GetFileAttributesW(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      SetFileAttributesW(temp_.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    target_guard_.Reset();
    if (MoveFileExW(temp_.c_str(), target_.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      moved_ = true;
    } else {
      const DWORD error = GetLastError();
      if (IsLackOfSpace(error)) throw EInOutError(static_cast<int>(error));
      // Another program holds the list without letting it be replaced (a
      // viewer that follows it), or the folder refuses: write it in place.
      CopyTempInPlace();
    }
    RemoveLeftoverTempFiles(target_);
  }

 private:
  void CopyTempInPlace() {
    FileHandle in_place = OpenInPlace(target_);
    FileHandle temp(CreateFileW(temp_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!temp.Valid()) RaiseLastError();
    char block[128];
    DWORD read = 0;
    do {
      if (!ReadFile(temp.Get(), block, sizeof block, &read, nullptr)) RaiseLastError();
      WriteAll(in_place.Get(), block, read);
    } while (read > 0);
    if (!CloseHandle(in_place.Release())) RaiseLastError();
  }

  std::wstring target_;
  FileHandle target_guard_;
  std::wstring temp_;
  FileHandle file_;
  bool moved_ = false;
};

std::wstring TempPathBeside(const std::wstring& target) {
  static std::atomic<unsigned> counter{0};
  return target + L".~" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter) + L".tmp";
}

}  // namespace

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
  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    throw EInOutError(ERROR_ACCESS_DENIED);
  }
  // Opening the file itself for writing tells at once whether it may be
  // replaced (read-only, held by another program), and holds it meanwhile.
  FileHandle guard(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!guard.Valid() && GetLastError() != ERROR_FILE_NOT_FOUND) RaiseLastError();
  std::wstring temp = TempPathBeside(target);
  FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    const DWORD error = GetLastError();
    if (IsLackOfSpace(error)) throw EInOutError(static_cast<int>(error));
    // The folder takes no new file while the list itself may be written.
    guard.Reset();
    FileHandle in_place = OpenInPlace(target);
    return std::make_unique<InPlaceOutputFile>(std::move(target), std::move(in_place));
  }
  return std::make_unique<ReplacingOutputFile>(std::move(target), std::move(guard), std::move(temp),
                                               std::move(file));
}

}  // namespace vimbrel::win32
