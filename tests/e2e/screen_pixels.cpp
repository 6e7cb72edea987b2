#include "screen_pixels.h"

#include <initguid.h>  // the codecs' GUIDs, defined here
#include <wincodec.h>
#include <wrl/client.h>

#include <map>

namespace e2e {

ScreenCapture CaptureScreen(const RECT& rect) {
    ScreenCapture capture;
    capture.width = rect.right - rect.left;
    capture.height = rect.bottom - rect.top;
    if (capture.width <= 0 || capture.height <= 0) return capture;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();

    const auto* bgrx = static_cast<const DWORD*>(bits);
    capture.pixels.reserve(static_cast<std::size_t>(capture.width * capture.height));
    for (int i = 0; i < capture.width * capture.height; ++i) {
        const DWORD p = bgrx[i];
        capture.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

COLORREF MostCommonColour(const ScreenCapture& capture) {
    std::map<COLORREF, int> counts;
    for (const COLORREF pixel : capture.pixels) ++counts[pixel];
    COLORREF most = 0;
    int count = 0;
    for (const auto& [colour, pixels] : counts) {
        if (pixels > count) {
            most = colour;
            count = pixels;
        }
    }
    return most;
}

HRESULT SavePng(const ScreenCapture& capture, const std::wstring& path) {
    using Microsoft::WRL::ComPtr;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto save = [&]() -> HRESULT {
        ComPtr<IWICImagingFactory> factory;
        HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(factory.GetAddressOf()));
        ComPtr<IWICStream> stream;
        if (SUCCEEDED(hr)) hr = factory->CreateStream(stream.GetAddressOf());
        if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
        ComPtr<IWICBitmapEncoder> encoder;
        if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.GetAddressOf());
        if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
        ComPtr<IWICBitmapFrameEncode> frame;
        if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(frame.GetAddressOf(), nullptr);
        if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
        if (SUCCEEDED(hr)) {
            hr = frame->SetSize(static_cast<UINT>(capture.width), static_cast<UINT>(capture.height));
        }
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
        if (SUCCEEDED(hr) && format != GUID_WICPixelFormat24bppBGR) hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
        // Rows of blue, green, red, each padded to four bytes.
        const UINT stride = (static_cast<UINT>(capture.width) * 3 + 3) & ~3u;
        std::vector<BYTE> bgr(static_cast<std::size_t>(stride) * static_cast<std::size_t>(capture.height));
        for (int y = 0; y < capture.height; ++y) {
            for (int x = 0; x < capture.width; ++x) {
                const COLORREF pixel = capture.At(x, y);
                BYTE* out = &bgr[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3];
                out[0] = GetBValue(pixel);
                out[1] = GetGValue(pixel);
                out[2] = GetRValue(pixel);
            }
        }
        if (SUCCEEDED(hr)) {
            hr = frame->WritePixels(static_cast<UINT>(capture.height), stride, static_cast<UINT>(bgr.size()),
                                    bgr.data());
        }
        if (SUCCEEDED(hr)) hr = frame->Commit();
        if (SUCCEEDED(hr)) hr = encoder->Commit();
        return hr;
    };
    const HRESULT hr = capture.width > 0 && capture.height > 0 ? save() : E_INVALIDARG;
    if (SUCCEEDED(com)) CoUninitialize();
    return hr;
}

TextLook LookOfText(const ScreenCapture& capture, COLORREF background, COLORREF text) {
    TextLook look;
    for (int y = 0; y < capture.height; ++y) {
        int run = 0, longest = 0;
        for (int x = 0; x < capture.width; ++x) {
            const COLORREF p = capture.At(x, y);
            if (p == background) {
                ++look.background;
                run = 0;
                continue;
            }
            longest = run + 1 > longest ? run + 1 : longest;
            ++run;
            if (p == text) {
                ++look.in_colour;
            } else {
                ++look.other_colours;
            }
        }
        // Glyphs leave gaps between characters and at the space; only an
        // underline runs through them.
        if (longest * 4 >= capture.width * 3) look.underline = true;
    }
    return look;
}

}  // namespace e2e
