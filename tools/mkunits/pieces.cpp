// Each piece fills its whole square: a counter face with a dark rim and a symbol on it.
// The photographic ones (written as JPEG) have shaded faces.
#include "pieces.h"

#include <algorithm>

namespace mkunits {

namespace {

using mkchips::Painter;

const COLORREF kRim = RGB(40, 40, 36);
const COLORREF kMetal = RGB(70, 74, 62);

// A flat counter face of `side` pixels with a one-pixel rim.
void Face(Painter& p, int side, COLORREF colour) {
    p.Shape({{0, 0}, {side - 1, 0}, {side - 1, side - 1}, {0, side - 1}}, colour, kRim);
}

// A face shaded from light at the top-left to dark at the bottom-right, a little grainy.
void ShadedFace(Painter& p, COLORREF colour) {
    for (int y = 0; y < kPieceSide; ++y)
        for (int x = 0; x < kPieceSide; ++x) {
            int shade = 30 - 60 * (x + y) / (2 * kPieceSide - 2);
            auto ch = [&](int v) { return static_cast<BYTE>(std::clamp(v + shade, 0, 255)); };
            p.Pixel(x, y,
                    p.Vary(RGB(ch(GetRValue(colour)), ch(GetGValue(colour)), ch(GetBValue(colour))),
                           4));
        }
    p.Line({{0, 0}, {31, 0}, {31, 31}, {0, 31}, {0, 0}}, kRim);
}

void Tank(Painter& p) {
    Face(p, kPieceSide, RGB(150, 166, 98));
    p.Shape({{5, 18}, {26, 18}, {28, 22}, {25, 25}, {6, 25}, {3, 22}}, kMetal, kRim);  // tracks
    for (int x = 7; x <= 24; x += 4) p.Ellipse(x, 22, 1, 1, RGB(140, 140, 130), kRim);
    p.Shape({{8, 13}, {23, 13}, {25, 17}, {6, 17}}, RGB(96, 110, 66), kRim);   // hull
    p.Shape({{11, 9}, {19, 9}, {20, 13}, {10, 13}}, RGB(110, 126, 76), kRim);  // turret
    p.Line({{20, 10}, {29, 8}}, kRim);                                         // gun
}

void Scout(Painter& p) {
    Face(p, 24, RGB(214, 196, 140));
    p.Shape({{4, 12}, {19, 12}, {20, 16}, {3, 16}}, RGB(120, 100, 60), kRim);  // body
    p.Shape({{7, 8}, {14, 8}, {16, 12}, {6, 12}}, RGB(170, 200, 220), kRim);   // windscreen
    p.Ellipse(7, 17, 2, 2, kMetal, kRim);
    p.Ellipse(16, 17, 2, 2, kMetal, kRim);
}

void Artillery(Painter& p) {
    ShadedFace(p, RGB(196, 120, 90));
    p.Shape({{6, 21}, {10, 17}, {26, 7}, {28, 10}, {12, 20}, {9, 23}}, kMetal, kRim);  // barrel
    p.Ellipse(11, 23, 5, 5, RGB(110, 80, 50), kRim);                                   // wheel
    p.Ellipse(11, 23, 1, 1, kRim, kRim);
    p.Line({{14, 24}, {25, 27}}, kRim);  // trail
}

void Ship(Painter& p) {
    ShadedFace(p, RGB(110, 160, 220));
    p.Shape({{3, 19}, {29, 19}, {25, 25}, {7, 25}}, RGB(90, 96, 104), kRim);  // hull
    p.Shape({{10, 14}, {20, 14}, {20, 19}, {10, 19}}, RGB(200, 204, 210), kRim);
    p.Shape({{13, 9}, {16, 9}, {16, 14}, {13, 14}}, RGB(60, 60, 64), kRim);  // funnel
    p.Line({{2, 27}, {8, 26}, {14, 27}, {20, 26}, {28, 27}}, RGB(230, 240, 250));
}

constexpr Piece kPieces[] = {
    {"tank.bmp", kPieceSide, Tank},
    {"scout.bmp", 24, Scout},
    {"artillery.jpg", kPieceSide, Artillery},
    {"ship.jpg", kPieceSide, Ship},
};

}  // namespace

std::span<const Piece> Pieces() {
    return kPieces;
}

}  // namespace mkunits
