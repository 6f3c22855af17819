#include "curves/win32/png_export.h"

// clang-format off
#include <windows.h>
#include <gdiplus.h>
// clang-format on

#include <vector>

#include "curves/win32/chart_picture.h"
#include "curves/win32/log_file.h"

namespace kurven {
namespace {

// GDI+'s encoder for PNG pictures.
bool pngEncoder(CLSID& found) {
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (size == 0) return false;
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
        if (std::wstring(encoders[i].MimeType) == L"image/png") {
            found = encoders[i].Clsid;
            return true;
        }
    return false;
}

std::wstring fileName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::wstring exportPng(const std::wstring& log, const std::wstring& out, int width, int height) {
    LogFile file(log);
    if (!file.readNew()) return L"Die Logdatei kann nicht gelesen werden: " + log;
    file.finish();
    if (const auto reason = unusableLogReason(file.document(), file.size()))
        return wideText(*reason);
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&bitmap);
        ChartFrame frame;
        frame.showAll(file.document());
        drawChart(graphics, width, height, file.document(), frame, fileName(log));
    }
    CLSID png;
    if (!pngEncoder(png) || bitmap.Save(out.c_str(), &png, nullptr) != Gdiplus::Ok)
        return L"Das Bild kann nicht gespeichert werden: " + out;
    return {};
}

}  // namespace kurven
