// The decoders behind Jpeg2bmp. Each reads an open file from its start and returns a new
// colour bitmap, or null for a picture it cannot decode completely.
#pragma once

#include <cstdio>

#include <qvplatform/types.h>

namespace jpeglib {

// Whole files are refused beyond the platform's own bitmap limits.
constexpr LONG kMaxSide = 32767;
constexpr long long kMaxPixels = 1LL << 26;

// Whether a picture of the declared size may be allocated for a file of `fileBytes`:
// within the platform's limits and no larger than `pixelsPerByte` times the file, the most
// that the format can pack into one byte. A few hundred hostile bytes that declare a huge
// picture thus never make a huge allocation.
bool IsPlausibleSize(long long width, long long height, long long fileBytes,
                     long long pixelsPerByte);

HBITMAP DecodeJpeg(std::FILE* file, long long fileBytes);
HBITMAP DecodePng(std::FILE* file, long long fileBytes);

}  // namespace jpeglib
