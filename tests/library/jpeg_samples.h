// Sample pictures for the JPEG module's tests and benchmark, encoded here with
// libjpeg-turbo, and libjpeg-turbo's own decode to compare against.
#pragma once

#include <vector>

#include <qvplatform/types.h>

namespace qvtest {

// Samples row by row, `components` bytes a pixel: 1 grey, 3 R G B, 4 C M Y K.
struct SamplePicture {
    int width = 0;
    int height = 0;
    int components = 3;
    std::vector<BYTE> samples;
};

struct JpegOptions {
    int quality = 100;
    bool progressive = false;
    bool subsampled = false;  // 2 x 2 chroma; otherwise every pixel keeps its chroma
    bool arithmetic = false;
};

std::vector<BYTE> EncodeJpeg(const SamplePicture& picture, const JpegOptions& options = {});

// libjpeg-turbo's decode of a grey or colour JPEG with its default settings, as colours
// row by row: what Jpeg2bmp must reproduce.
std::vector<COLORREF> DecodeJpegReference(const std::vector<BYTE>& jpeg, int* pWidth = nullptr,
                                          int* pHeight = nullptr);

// A picture with smooth gradients, edges and a little noise, like a photograph.
SamplePicture MakePhotoLikePicture(int width, int height);

}  // namespace qvtest
