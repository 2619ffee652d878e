// Writing a picture as a JPEG file with libjpeg-turbo, for the sample pictures that the
// library's JPEG module is to read.
#pragma once

#include <string>

#include <qvplatform/gdi.h>

namespace mkunits {

// The `width` x `height` pixels of `hdc` from (0, 0) as a baseline colour JPEG file of the
// given quality, every pixel keeping its own colour (no chroma subsampling). False when
// the file cannot be written.
bool SaveJpeg(HDC hdc, int width, int height, const std::string& path, int quality);

}  // namespace mkunits
