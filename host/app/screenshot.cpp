#include "screenshot.h"

#include "common/unique_handle.h"

#include <windows.h>

#include <cstdio>

namespace standin::app {
namespace {

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() { if (dc) ReleaseDC(nullptr, dc); }
};
struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { if (dc) DeleteDC(dc); }
};
struct Bitmap {
    HBITMAP bitmap = nullptr;
    ~Bitmap() { if (bitmap) DeleteObject(bitmap); }
};

}  // namespace

bool SaveScreenshot(const std::string& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    ScreenDc screen;
    MemoryDc memory(screen.dc);
    if (!screen.dc || !memory.dc || width <= 0 || height <= 0) return false;

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as BMP files store rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap dib;
    dib.bitmap = CreateDIBSection(screen.dc, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib.bitmap || !bits) return false;
    HGDIOBJ old = SelectObject(memory.dc, dib.bitmap);
    const BOOL copied = BitBlt(memory.dc, 0, 0, width, height, screen.dc, 0, 0, SRCCOPY | CAPTUREBLT);
    SelectObject(memory.dc, old);
    if (!copied) return false;
    GdiFlush();

    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + imageSize;
    tarnwick::UniqueFile out(std::fopen(path.c_str(), "wb"));
    if (!out) return false;
    return std::fwrite(&file, sizeof(file), 1, out.get()) == 1 && std::fwrite(&header, sizeof(header), 1, out.get()) == 1 &&
           std::fwrite(bits, 1, imageSize, out.get()) == imageSize;
}

}  // namespace standin::app
