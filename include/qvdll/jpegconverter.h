// CJpegConverter: holds the separately built conversion library "Jpeglib",
// loaded at run time, and calls its one entry, Jpeg2bmp, which turns a picture
// file that is not a BMP file into a bitmap. The module keeps one for its whole
// life; the off-screen graphic is its caller.
#pragma once

#include <qvplatform/types.h>

#include "qvdll/export.h"

class QVDLL_API CJpegConverter {
public:
    // Jpeg2bmp: a device context (may be null) and a file path; returns a
    // bitmap that the caller takes over, null on failure. A plain C function:
    // this platform has no standard-call convention.
    using PFNJPEG2BMP = HBITMAP (*)(HDC hDC, LPCSTR lpszPath);

    CJpegConverter();  // loads the library at once
    virtual ~CJpegConverter();

    // One converter, one use of the library: copies would free it twice.
    CJpegConverter(const CJpegConverter&) = delete;
    CJpegConverter& operator=(const CJpegConverter&) = delete;

    // Frees what is loaded, then loads "Jpeglib" by its bare name and looks up
    // Jpeg2bmp. False, with nothing left loaded, when either is missing.
    bool Load();
    // Frees the library if loaded; afterwards there is no entry.
    void Unload();
    // Jpeg2bmp's result for these arguments; null, calling nothing, without an entry.
    HBITMAP Convert(HDC hDC, LPCSTR lpszPath) const;

    bool IsLoaded() const { return m_pfnJpeg2bmp != nullptr; }

private:
    HMODULE m_hLibrary;         // null when not loaded
    PFNJPEG2BMP m_pfnJpeg2bmp;  // non-null only while m_hLibrary is
};

// The converter the module created when it was loaded (null if it could not
// be created); the module destroys it when it is unloaded.
QVDLL_API CJpegConverter* GetModuleJpegConverter();

// Whether pictures can be loaded through Jpeglib: the module's converter has
// found Jpeg2bmp.
QVDLL_FUNC bool IsJpegLoadOk();
