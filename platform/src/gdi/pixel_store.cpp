#include "pixel_store.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace qvp::detail {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this the C library keeps freed blocks for reuse, which beats fresh pages; above it
// every block is mapped afresh anyway, and huge pages make that cheaper. Under the address
// sanitizer every block comes from calloc, so that reads past a picture are caught.
#if defined(__SANITIZE_ADDRESS__)  // gcc
#define QVP_ADDRESS_SANITIZER
#elif defined(__has_feature)  // clang
#if __has_feature(address_sanitizer)
#define QVP_ADDRESS_SANITIZER
#endif
#endif
#ifdef QVP_ADDRESS_SANITIZER
constexpr std::size_t kMapAbove = SIZE_MAX;
#else
constexpr std::size_t kMapAbove = std::size_t{32} << 20;
#endif

// Maps `bytes` (a multiple of kHugePage) of zeroed memory aligned to a huge page, so the
// kernel can back all of it with huge pages.
void* MapAligned(std::size_t bytes) {
    const std::size_t span = bytes + kHugePage;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start) munmap(raw, aligned - start);
    const std::uintptr_t tail = aligned + bytes;
    if (start + span > tail) munmap(reinterpret_cast<void*>(tail), start + span - tail);
    madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);  // a hint; may be refused
    return reinterpret_cast<void*>(aligned);
}

}  // namespace

PixelStore::PixelStore(std::size_t count) : m_nCount(count) {
    const std::size_t bytes = count * sizeof(Pixel);
    void* block = nullptr;
    if (bytes > kMapAbove) {
        m_nMappedBytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        block = MapAligned(m_nMappedBytes);
    } else {
        block = std::calloc(count ? count : 1, sizeof(Pixel));
    }
    if (!block) throw std::bad_alloc();
    m_pData = static_cast<Pixel*>(block);
}

void PixelStore::Release() {
    if (m_nMappedBytes)
        munmap(m_pData, m_nMappedBytes);
    else
        std::free(m_pData);
}

}  // namespace qvp::detail
