#pragma once

#include "platform/BrowserPrograms.h"

namespace vimbrel::win32 {

// Browsers' programs through the App Paths of the registry and CreateProcessW.
class Win32BrowserPrograms final : public BrowserPrograms {
 public:
  // Each hive is read in both of its views: a 32-bit program does not see
  // the 64-bit registrations otherwise, nor a 64-bit one the 32-bit ones.
  std::optional<Path> Registered(std::string_view exe_name) override;
  // The arguments are converted with code page 932, as the program's text
  // is; the new process inherits no handle of this one.
  void Start(const Path& program, const std::vector<std::string>& arguments) override;
};

}  // namespace vimbrel::win32
