#include "Screenshot.h"

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

void SaveScreenshot(const RECT& area, const std::wstring& path) {
  const RECT clipped = ClippedToScreen(area);
  const int width = clipped.right - clipped.left;
  const int height = clipped.bottom - clipped.top;

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as BMP files store rows
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  header.biSizeImage = stride * static_cast<DWORD>(height);

  ScreenDc screen;
  MemoryDc memory(screen.Get());
  void* bits = nullptr;
  win32::GdiObject bitmap(CreateDIBSection(screen.Get(), reinterpret_cast<BITMAPINFO*>(&header),
                                           DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap.Valid()) throw std::runtime_error("no bitmap for the screenshot");
  {
    Selection selected(memory.Get(), bitmap.Get());
    if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), clipped.left, clipped.top,
                SRCCOPY | CAPTUREBLT)) {
      throw std::runtime_error("cannot copy the screen");
    }
  }
  GdiFlush();

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
  write(bits, header.biSizeImage);
}

}  // namespace vimbrel::e2e
