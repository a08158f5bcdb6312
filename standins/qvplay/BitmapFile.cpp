#include "BitmapFile.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "common/UniqueHandle.h"

bool SaveBitmapFile(const char* path, const streamfmt::FrameInfo& picture) {
    if (!path || !*path || !picture.pixels || !picture.width || !picture.height) return false;
    const uint32_t stride = (picture.width * 3u + 3u) & ~3u;
    const uint32_t imageBytes = stride * picture.height;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + imageBytes;
    info.biSize = sizeof(info);
    info.biWidth = picture.width;
    info.biHeight = picture.height;  // rows bottom to top
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageBytes;

    std::vector<uint8_t> bytes(file.bfSize, 0);
    memcpy(&bytes[0], &file, sizeof(file));
    memcpy(&bytes[sizeof(file)], &info, sizeof(info));
    for (uint32_t y = 0; y < picture.height; ++y) {
        uint8_t* row = &bytes[file.bfOffBits + (picture.height - 1 - y) * stride];
        const uint8_t* src = picture.pixels + static_cast<size_t>(y) * picture.width;
        for (uint32_t x = 0; x < picture.width; ++x) {
            uint32_t rgb = streamfmt::PaletteColor(src[x]);
            row[3 * x] = static_cast<uint8_t>(rgb);
            row[3 * x + 1] = static_cast<uint8_t>(rgb >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(rgb >> 16);
        }
    }

    CUniqueFile out(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    DWORD written = 0;
    bool ok = WriteFile(out.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    // Closed by hand, not by the owner: a failed close fails the picture.
    ok = CloseHandle(out.Release()) && ok;
    if (!ok) DeleteFileA(path);
    return ok;
}
