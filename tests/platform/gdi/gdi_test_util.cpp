#include "gdi_test_util.h"

#include <gtest/gtest.h>

#include <sstream>

#include "qvplatform/bmpfile.h"

namespace gditest {

MemDc::MemDc(int w, int h, bool mono, COLORREF fill) : m_w(w), m_h(h), m_mono(mono) {
    m_hdc = CreateCompatibleDC(nullptr);
    m_hbm = CreateBitmap(w, h, 1, mono ? 1 : 32, nullptr);
    m_old = SelectObject(m_hdc, m_hbm);
    RECT all{0, 0, w, h};
    COLORREF bk = GetBkColor(m_hdc);
    FillSolidRect(m_hdc, &all, fill);
    SetBkColor(m_hdc, bk);
}

MemDc::~MemDc() {
    SelectObject(m_hdc, m_old);
    DeleteDC(m_hdc);
    DeleteObject(m_hbm);
}

std::vector<COLORREF> MemDc::Pixels() const {
    int stride = m_mono ? (m_w + 15) / 16 * 2 : m_w * 4;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * m_h);
    GetBitmapBits(m_hbm, static_cast<LONG>(bits.size()), bits.data());
    std::vector<COLORREF> out;
    out.reserve(static_cast<std::size_t>(m_w) * m_h);
    for (int y = 0; y < m_h; ++y) {
        const std::uint8_t* row = bits.data() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < m_w; ++x) {
            if (m_mono) {
                out.push_back((row[x / 8] >> (7 - x % 8)) & 1 ? RGB(255, 255, 255) : 0);
            } else {
                out.push_back(RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]));
            }
        }
    }
    return out;
}

COLORREF MemDc::At(int x, int y) const {
    return Pixels()[static_cast<std::size_t>(y) * m_w + x];
}

void MemDc::Set(int x, int y, COLORREF c) {
    POINT org;
    SetViewportOrgEx(m_hdc, 0, 0, &org);
    SetPixel(m_hdc, x, y, c);
    SetViewportOrgEx(m_hdc, org.x, org.y, nullptr);
}

void MemDc::Load(const std::vector<COLORREF>& pixels) {
    std::vector<std::uint32_t> bits(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        bits[i] = GetRValue(pixels[i]) << 16 | GetGValue(pixels[i]) << 8 | GetBValue(pixels[i]);
    if (!m_mono) {
        SetBitmapBits(m_hbm, static_cast<DWORD>(bits.size() * 4), bits.data());
        return;
    }
    for (int y = 0; y < m_h; ++y)
        for (int x = 0; x < m_w; ++x) Set(x, y, pixels[static_cast<std::size_t>(y) * m_w + x]);
}

COLORREF PictureMaker::Color() {
    static const COLORREF kPalette[] = {RGB(0, 0, 0),     RGB(255, 255, 255), RGB(255, 0, 0),
                                        RGB(0, 128, 255), RGB(12, 34, 56),    RGB(200, 200, 10)};
    if (Int(0, 3) == 0) return RGB(Int(0, 255), Int(0, 255), Int(0, 255));
    return kPalette[Int(0, 5)];
}

void PictureMaker::Fill(MemDc& dc, bool mono) {
    std::vector<COLORREF> pixels(static_cast<std::size_t>(dc.width()) * dc.height());
    for (auto& p : pixels) p = mono ? (Int(0, 1) ? RGB(255, 255, 255) : 0) : Color();
    dc.Load(pixels);
}

std::string FirstDifference(const MemDc& a, const MemDc& b) {
    auto pa = a.Pixels(), pb = b.Pixels();
    if (pa.size() != pb.size()) return "sizes differ";
    std::size_t i = 0;
    while (i < pa.size() && i < pb.size() && pa[i] == pb[i]) ++i;
    if (i == pa.size()) return "";
    // Both pictures go to the test's temporary folder, to be looked at.
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string stem = ::testing::TempDir() + test->test_suite_name() + "." + test->name();
    SaveBitmapPng(a.bitmap(), (stem + ".first.png").c_str());
    SaveBitmapPng(b.bitmap(), (stem + ".second.png").c_str());
    std::ostringstream s;
    s << "(" << i % a.width() << ", " << i / a.width() << "): " << std::hex << pa[i] << " vs "
      << pb[i] << "; pictures in " << stem << ".first.png and .second.png";
    return s.str();
}

}  // namespace gditest
