// The pixel memory of a bitmap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qvp::detail {

// A bitmap's pixels, all zero (black) from the start. Very large pictures come straight from
// the kernel as zeroed pages, on huge pages where the system offers them: a map-sized buffer
// then costs neither a clearing pass nor a page fault every 4 KiB.
class PixelStore {
public:
    using Pixel = std::uint32_t;

    explicit PixelStore(std::size_t count);  // throws std::bad_alloc
    ~PixelStore() { Release(); }
    PixelStore(const PixelStore&) = delete;
    PixelStore& operator=(const PixelStore&) = delete;

    Pixel* data() { return m_pData; }
    const Pixel* data() const { return m_pData; }
    Pixel* begin() { return m_pData; }
    Pixel* end() { return m_pData + m_nCount; }
    const Pixel* begin() const { return m_pData; }
    const Pixel* end() const { return m_pData + m_nCount; }

private:
    void Release();

    Pixel* m_pData = nullptr;
    std::size_t m_nCount = 0;
    std::size_t m_nMappedBytes = 0;  // 0: the block came from calloc
};

}  // namespace qvp::detail
