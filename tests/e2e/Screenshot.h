#pragma once

#include <windows.h>

#include <string>

namespace vimbrel::e2e {

// Copies `area` of the screen as it is shown now into a 24-bit BMP file at
// `path`, so that a person can look at what the program showed.
void SaveScreenshot(const RECT& area, const std::wstring& path);

}  // namespace vimbrel::e2e
