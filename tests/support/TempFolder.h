#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/Files.h"

namespace vimbrel::testing {

// A fresh folder under the system's temporary folder, or under `base`, removed
// with everything in it at the end of the test.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& base = L"");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const vimbrel::Path& Path() const { return path_; }
  vimbrel::Path Child(const vimbrel::Path& name) const { return path_ + u"\\" + name; }
  void Write(const vimbrel::Path& path, const std::string& bytes) const;
  std::string Read(const vimbrel::Path& path) const;
  // Names of the entries directly inside, sorted.
  std::vector<std::wstring> Entries() const { return Entries(path_); }
  // The same for a folder within.
  static std::vector<std::wstring> Entries(const vimbrel::Path& folder);

 private:
  vimbrel::Path path_;
};

}  // namespace vimbrel::testing
