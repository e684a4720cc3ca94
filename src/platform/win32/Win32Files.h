#pragma once

#include "platform/Files.h"

namespace vimbrel::win32 {

// The list file's operations through the wide file API, so that any folder
// name and paths beyond 260 characters work.
class Win32Files final : public Files {
 public:
  Path ProgramPath() override;
  std::string PathText(const Path& path) override;
  Path PathOf(std::string_view text) override;
  std::string SystemErrorText(int error_code) override;
  bool IsFile(const Path& path) override;
  std::unique_ptr<InputFile> OpenForReading(const Path& path) override;
  std::unique_ptr<OutputFile> OpenForReplacing(const Path& path) override;
  void Append(const Path& path, std::string_view bytes) override;
  std::uint64_t FileSize(const Path& path) override;
  void Rename(const Path& from, const Path& to) override;

 private:
  unsigned temp_files_made_ = 0;
};

// Whether a save whose new file could not be made beside the list, or not
// renamed over it, writes the list in place instead: the list or its folder
// may be written but not replaced (access denied, a sharing or lock
// violation). Any other error fails the save and leaves the old list.
bool SaveWritesInPlaceAfter(unsigned long error);

// `path` in the form the wide API takes beyond MAX_PATH: "\\?\C:\..." or
// "\\?\UNC\server\share\..."; relative and already extended paths unchanged.
std::wstring ExtendedLengthPath(const Path& path);

}  // namespace vimbrel::win32
