#include "ui_actor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace kst_test {

namespace {

struct Search {
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != ::GetCurrentProcessId() || !::IsWindowVisible(window) || ClassOf(window) != "#32770")
        return TRUE;
    if (WindowTextOf(window) != *search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

// PNG writing with stored (uncompressed) deflate blocks: no library needed.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgbRows) {
    std::vector<uint8_t> zlib = {0x78, 0x01};
    const size_t total = rgbRows.size();
    for (size_t offset = 0; offset < total || total == 0; ) {
        const size_t block = std::min<size_t>(65535, total - offset);
        const bool last = offset + block == total;
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(block));
        zlib.push_back(static_cast<uint8_t>(block >> 8));
        zlib.push_back(static_cast<uint8_t>(~block));
        zlib.push_back(static_cast<uint8_t>(~block >> 8));
        zlib.insert(zlib.end(), rgbRows.begin() + static_cast<std::ptrdiff_t>(offset),
                    rgbRows.begin() + static_cast<std::ptrdiff_t>(offset + block));
        offset += block;
        if (last) break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : rgbRows) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

}  // namespace

HWND WaitForDialog(const std::string& caption, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        Search search{&caption, nullptr};
        ::EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        if (::GetTickCount() - start >= timeoutMs) return nullptr;
        ::Sleep(20);
    }
}

DialogActor::DialogActor(std::string caption, std::function<void(HWND)> act)
    : m_thread([this, caption, act] {
          HWND dialog = WaitForDialog(caption, 20000);
          if (dialog == nullptr) return;
          m_found = true;
          act(dialog);
      }) {}

DialogActor::~DialogActor() { m_thread.join(); }

void TypeInto(HWND control, const std::string& text) {
    for (char ch : text) ::SendMessageA(control, WM_CHAR, static_cast<unsigned char>(ch), 1);
}

std::string TestOutputDir() {
    ::CreateDirectoryA(KST_TEST_OUTPUT_DIR, nullptr);
    return KST_TEST_OUTPUT_DIR;
}

bool SaveWindowPng(HWND window, const std::string& path) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();

    std::vector<uint8_t> rows;
    rows.reserve(static_cast<size_t>(height) * (1 + static_cast<size_t>(width) * 3));
    const auto* pixels = static_cast<const uint8_t*>(bits);
    for (int y = 0; y < height; ++y) {
        rows.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const uint8_t* bgrx = pixels + (static_cast<size_t>(y) * width + x) * 4;
            rows.insert(rows.end(), {bgrx[2], bgrx[1], bgrx[0]});
        }
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    const std::vector<uint8_t> png = EncodePng(width, height, rows);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace kst_test
