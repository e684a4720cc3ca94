#include "Screenshot.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "platform/win32/Handle.h"

namespace vimbrel::e2e {

namespace {

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {
    if (dc_ == nullptr) throw std::runtime_error("no screen device context");
  }
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

class MemoryDc {
 public:
  explicit MemoryDc(HDC compatible_with) : dc_(CreateCompatibleDC(compatible_with)) {
    if (dc_ == nullptr) throw std::runtime_error("no memory device context");
  }
  ~MemoryDc() { DeleteDC(dc_); }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, old_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

RECT ClippedToScreen(const RECT& area) {
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT clipped{};
  if (!IntersectRect(&clipped, &area, &screen)) throw std::runtime_error("nothing to capture");
  return clipped;
}

}  // namespace

ScreenPixels CaptureScreen(const RECT& area) {
  const RECT clipped = ClippedToScreen(area);
  ScreenPixels shot;
  shot.width = clipped.right - clipped.left;
  shot.height = clipped.bottom - clipped.top;

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = shot.width;
  header.biHeight = -shot.height;  // top-down
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;

  ScreenDc screen;
  MemoryDc memory(screen.Get());
  void* bits = nullptr;
  win32::GdiObject bitmap(CreateDIBSection(screen.Get(), reinterpret_cast<BITMAPINFO*>(&header),
                                           DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap.Valid()) throw std::runtime_error("no bitmap for the screenshot");
  {
    Selection selected(memory.Get(), bitmap.Get());
    if (!BitBlt(memory.Get(), 0, 0, shot.width, shot.height, screen.Get(), clipped.left,
                clipped.top, SRCCOPY | CAPTUREBLT)) {
      throw std::runtime_error("cannot copy the screen");
    }
  }
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  shot.pixels.assign(first, first + static_cast<std::size_t>(shot.width) * shot.height);
  for (std::uint32_t& pixel : shot.pixels) pixel &= 0x00FFFFFF;
  return shot;
}

int InkPixels(const RECT& area) {
  const ScreenPixels shot = CaptureScreen(area);
  std::map<std::uint32_t, int> counts;
  for (std::uint32_t pixel : shot.pixels) ++counts[pixel];
  int background = 0;
  for (const auto& [colour, count] : counts) background = std::max(background, count);
  return static_cast<int>(shot.pixels.size()) - background;
}

void SaveScreenshot(const RECT& area, const std::wstring& path) {
  const ScreenPixels shot = CaptureScreen(area);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = shot.width;
  header.biHeight = shot.height;  // bottom-up, as BMP files store rows
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const std::size_t stride = (static_cast<std::size_t>(shot.width) * 3 + 3) & ~std::size_t{3};
  header.biSizeImage = static_cast<DWORD>(stride * shot.height);
  std::vector<std::uint8_t> rows(header.biSizeImage, 0);
  for (int y = 0; y < shot.height; ++y) {
    std::uint8_t* out = &rows[stride * (shot.height - 1 - y)];
    for (int x = 0; x < shot.width; ++x) {
      const std::uint32_t pixel = shot.pixels[static_cast<std::size_t>(y) * shot.width + x];
      out[x * 3 + 0] = static_cast<std::uint8_t>(pixel);
      out[x * 3 + 1] = static_cast<std::uint8_t>(pixel >> 8);
      out[x * 3 + 2] = static_cast<std::uint8_t>(pixel >> 16);
    }
  }

  BITMAPFILEHEADER file_header{};
  file_header.bfType = 0x4D42;  // "BM"
  file_header.bfOffBits = sizeof file_header + sizeof header;
  file_header.bfSize = file_header.bfOffBits + header.biSizeImage;
  win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) throw std::runtime_error("cannot create the screenshot file");
  auto write = [&file](const void* data, DWORD size) {
    DWORD written = 0;
    if (!WriteFile(file.Get(), data, size, &written, nullptr) || written != size) {
      throw std::runtime_error("cannot write the screenshot file");
    }
  };
  write(&file_header, sizeof file_header);
  write(&header, sizeof header);
  write(rows.data(), header.biSizeImage);
}

}  // namespace vimbrel::e2e
