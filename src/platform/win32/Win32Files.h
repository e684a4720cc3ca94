#pragma once

#include "platform/Files.h"

namespace vimbrel::win32 {

// The list file's operations through the wide file API, so that any folder
// name and paths beyond 260 characters work.
class Win32Files final : public Files {
 public:
  Path ProgramPath() override;
  bool IsFile(const Path& path) override;
  std::unique_ptr<InputFile> OpenForReading(const Path& path) override;
  std::unique_ptr<OutputFile> OpenForReplacing(const Path& path) override;
};

// `path` in the form the wide API takes beyond MAX_PATH: "\\?\C:\..." or
// "\\?\UNC\server\share\..."; relative and already extended paths unchanged.
std::wstring ExtendedLengthPath(const Path& path);

}  // namespace vimbrel::win32
