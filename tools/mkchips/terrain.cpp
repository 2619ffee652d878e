// Each painter fills the whole 50 x 40 chip; the generator whitens what lies outside the
// hexagon afterwards. Colours stay light enough at the bottom for the black hex label.
#include "terrain.h"

#include <tuple>

namespace mkchips {

namespace {

const COLORREF kSea = RGB(52, 104, 196);
const COLORREF kFoam = RGB(200, 225, 245);
const COLORREF kSand = RGB(226, 206, 146);
const COLORREF kGrass = RGB(118, 182, 76);
const COLORREF kDarkGreen = RGB(34, 98, 40);
const COLORREF kTrunk = RGB(100, 70, 40);
const COLORREF kRock = RGB(146, 136, 120);
const COLORREF kSnow = RGB(242, 246, 252);

void Waves(Painter& p, COLORREF colour, int count) {
    for (int i = 0; i < count; ++i) {
        int x = p.Random(2, 40), y = p.Random(3, 36);
        p.Line({{x, y + 1}, {x + 2, y}, {x + 4, y + 1}, {x + 6, y}}, colour);
    }
}

void Tree(Painter& p, int x, int y, int size, COLORREF leaves) {
    p.Pixel(x, y + 1, kTrunk);
    p.Pixel(x, y + 2, kTrunk);
    p.Shape({{x, y - 2 * size}, {x - size, y}, {x + size, y}}, p.Vary(leaves, 12), kDarkGreen);
}

void Peak(Painter& p, int x, int base, int width, int height, COLORREF rock) {
    POINT top{x, base - height};
    p.Shape({top, {x - width, base}, {x + width, base}}, p.Vary(rock, 6), RGB(80, 72, 64));
    p.Shape({top, {x, base}, {x + width, base}}, RGB(110, 100, 90), RGB(80, 72, 64));
    int cap = height / 3;
    p.Shape({top,
             {x - width * cap / height, base - height + cap},
             {x + width * cap / height, base - height + cap}},
            kSnow, kSnow);
}

void Sea(Painter& p) {
    p.Speckle(kSea, 8);
    Waves(p, RGB(110, 160, 230), 7);
}

void Shore(Painter& p) {
    p.Speckle(kSand, 10);
    p.Sprinkle(RGB(170, 150, 110), 10, 40);
    // Shallow water along the left and a line of foam where it meets the sand.
    p.Shape({{0, 0}, {14, 0}, {6, 20}, {14, 40}, {0, 40}}, p.Vary(RGB(92, 150, 214), 4), kFoam);
}

void Plain(Painter& p) {
    p.Speckle(kGrass, 12);
    for (int i = 0; i < 18; ++i) {
        int x = p.Random(4, 45), y = p.Random(4, 34);
        p.Line({{x, y}, {x, y + 2}}, RGB(78, 140, 52));
    }
    p.Sprinkle(RGB(240, 230, 90), 10, 6);  // flowers
}

void Forest(Painter& p) {
    p.Speckle(RGB(76, 146, 62), 10);
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < 4; ++i)
            Tree(p, 9 + 11 * i + p.Random(-2, 2) + (row % 2) * 5, 12 + 10 * row, 4,
                 RGB(40, 112, 44));
}

void Hill(Painter& p) {
    p.Speckle(RGB(164, 178, 92), 10);
    for (auto [x, y, r] : {std::tuple{15, 24, 9}, {33, 17, 10}, {31, 32, 7}}) {
        p.Ellipse(x, y, r, r * 2 / 3, p.Vary(RGB(140, 156, 74), 6), RGB(110, 120, 60));
        p.Ellipse(x - r / 3, y - r / 4, r / 2, r / 3, RGB(184, 196, 112), RGB(184, 196, 112));
    }
}

void Mountain(Painter& p) {
    p.Speckle(RGB(160, 150, 128), 10);
    Peak(p, 17, 32, 13, 24, kRock);
    Peak(p, 33, 36, 12, 28, kRock);
}

void DeepSea(Painter& p) {
    p.Speckle(RGB(30, 66, 150), 6);
    Waves(p, RGB(70, 110, 190), 4);
}

void Lake(Painter& p) {
    p.Speckle(kGrass, 10);
    p.Ellipse(25, 19, 15, 10, RGB(86, 146, 214), RGB(60, 110, 70));
    p.Line({{18, 17}, {21, 16}, {24, 17}}, kFoam);
}

void Desert(Painter& p) {
    p.Speckle(RGB(234, 204, 130), 8);
    for (int y : {9, 19, 29})
        p.Line({{4, y + 2}, {14, y - 1}, {24, y + 1}, {36, y - 2}, {46, y + 1}}, RGB(200, 166, 96));
    Tree(p, 38, 34, 2, RGB(90, 140, 60));  // a lonely shrub
}

void Swamp(Painter& p) {
    p.Speckle(RGB(104, 124, 70), 10);
    for (int i = 0; i < 5; ++i)
        p.Ellipse(p.Random(8, 42), p.Random(7, 32), p.Random(3, 6), 2, RGB(70, 100, 100),
                  RGB(60, 86, 80));
    for (int i = 0; i < 10; ++i) {
        int x = p.Random(5, 45), y = p.Random(6, 34);
        p.Line({{x, y}, {x, y - 3}}, RGB(60, 80, 40));
    }
}

void Jungle(Painter& p) {
    p.Speckle(RGB(46, 120, 46), 10);
    for (int i = 0; i < 14; ++i)
        p.Ellipse(p.Random(5, 45), p.Random(5, 35), p.Random(3, 5), p.Random(2, 4),
                  p.Vary(RGB(30, 96, 36), 18), kDarkGreen);
}

void SnowField(Painter& p) {
    p.Speckle(RGB(232, 238, 246), 6);
    p.Sprinkle(RGB(190, 204, 224), 8, 50);
    Tree(p, 14, 20, 3, RGB(50, 100, 70));
    Tree(p, 33, 28, 3, RGB(50, 100, 70));
}

void Glacier(Painter& p) {
    p.Speckle(RGB(186, 220, 238), 6);
    for (int i = 0; i < 5; ++i) {
        int x = p.Random(6, 38), y = p.Random(5, 32);
        p.Line({{x, y}, {x + 4, y + 2}, {x + 7, y + 1}, {x + 10, y + 4}}, RGB(120, 170, 200));
    }
}

void Farmland(Painter& p) {
    const COLORREF fields[] = {RGB(220, 200, 90), RGB(130, 180, 70), RGB(170, 130, 80),
                               RGB(200, 210, 110)};
    for (int i = 0; i < 6; ++i) {
        int x = -10 + 11 * i;
        p.Shape({{x, 0}, {x + 11, 0}, {x + 21, 40}, {x + 10, 40}}, p.Vary(fields[i % 4], 4),
                RGB(120, 100, 60));
    }
}

void Town(Painter& p) {
    p.Speckle(kGrass, 8);
    p.Line({{0, 30}, {50, 22}}, RGB(180, 170, 150));
    const POINT houses[] = {{12, 12}, {24, 9}, {35, 14}, {17, 24}, {30, 26}, {40, 28}};
    for (POINT h : houses) {
        p.Shape({{h.x - 4, h.y}, {h.x + 4, h.y}, {h.x + 4, h.y + 5}, {h.x - 4, h.y + 5}},
                RGB(236, 226, 204), RGB(90, 80, 70));
        p.Shape({{h.x - 5, h.y}, {h.x, h.y - 4}, {h.x + 5, h.y}}, p.Vary(RGB(190, 60, 50), 10),
                RGB(120, 40, 30));
    }
}

void Volcano(Painter& p) {
    p.Speckle(RGB(110, 96, 88), 10);
    p.Shape({{6, 36}, {20, 10}, {30, 10}, {44, 36}}, RGB(90, 70, 62), RGB(60, 46, 40));
    p.Ellipse(25, 11, 5, 2, RGB(240, 90, 30), RGB(200, 40, 20));
    p.Line({{25, 13}, {23, 20}, {26, 27}, {24, 34}}, RGB(250, 130, 40));
    p.Sprinkle(RGB(60, 56, 54), 8, 25);  // ash
}

constexpr Terrain kTerrains[] = {
    {"sea", Sea},         {"shore", Shore},       {"plain", Plain},      {"forest", Forest},
    {"hill", Hill},       {"mountain", Mountain}, {"deep sea", DeepSea}, {"lake", Lake},
    {"desert", Desert},   {"swamp", Swamp},       {"jungle", Jungle},    {"snow field", SnowField},
    {"glacier", Glacier}, {"farmland", Farmland}, {"town", Town},        {"volcano", Volcano},
};

}  // namespace

std::span<const Terrain> Terrains() {
    return kTerrains;
}

}  // namespace mkchips
