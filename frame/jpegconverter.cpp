#include "qvdll/jpegconverter.h"

#include <qvplatform/loader.h>

namespace {

constexpr char kLibraryName[] = "Jpeglib";
constexpr char kEntryName[] = "Jpeg2bmp";

}  // namespace

CJpegConverter::CJpegConverter() : m_hLibrary(nullptr), m_pfnJpeg2bmp(nullptr) {
    Load();
}

CJpegConverter::~CJpegConverter() {
    Unload();
}

bool CJpegConverter::Load() {
    Unload();
    m_hLibrary = LoadLibraryA(kLibraryName);
    if (!m_hLibrary) return false;
    FARPROC entry = GetProcAddress(m_hLibrary, kEntryName);
    if (!entry) {
        Unload();
        return false;
    }
    m_pfnJpeg2bmp = reinterpret_cast<PFNJPEG2BMP>(entry);
    return true;
}

void CJpegConverter::Unload() {
    if (m_hLibrary) FreeLibrary(m_hLibrary);
    m_hLibrary = nullptr;
    m_pfnJpeg2bmp = nullptr;
}

HBITMAP CJpegConverter::Convert(HDC hDC, LPCSTR lpszPath) const {
    return m_pfnJpeg2bmp ? m_pfnJpeg2bmp(hDC, lpszPath) : nullptr;
}

bool IsJpegLoadOk() {
    const CJpegConverter* pConverter = GetModuleJpegConverter();
    return pConverter && pConverter->IsLoaded();
}
