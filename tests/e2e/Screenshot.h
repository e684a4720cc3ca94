#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vimbrel::e2e {

// Pixels as the screen shows them, 0x00RRGGBB, row by row from the top.
struct ScreenPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// What `area` of the screen (clipped to the screen) shows now.
ScreenPixels CaptureScreen(const RECT& area);

// How many pixels of `area` differ from its most frequent colour: the ink of
// whatever is drawn on a plain background.
int InkPixels(const RECT& area);

// Copies `area` of the screen as it is shown now into a 24-bit BMP file at
// `path`, so that a person can look at what the program showed.
void SaveScreenshot(const RECT& area, const std::wstring& path);

}  // namespace vimbrel::e2e
