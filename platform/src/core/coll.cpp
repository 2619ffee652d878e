#include "qvplatform/coll.h"

#include <limits>

#include "qvplatform/archive.h"

namespace qvp::detail {

struct CNodeBlocks::Block {
    Block* pNext;
};

namespace {

// Elements start this far into a block, so that they are aligned for any type.
constexpr std::size_t kHeader = (sizeof(void*) + alignof(std::max_align_t) - 1) /
                                alignof(std::max_align_t) * alignof(std::max_align_t);

}  // namespace

void* CNodeBlocks::Allocate(std::size_t count, std::size_t size) {
    if (size != 0 && count > (std::numeric_limits<std::size_t>::max() - kHeader) / size)
        AfxThrowMemoryException();
    void* raw = ::operator new(kHeader + count * size, std::nothrow);
    if (!raw) AfxThrowMemoryException();
    m_pHead = ::new (raw) Block{m_pHead};
    return static_cast<std::byte*>(raw) + kHeader;
}

void CNodeBlocks::FreeAll() noexcept {
    while (Block* block = m_pHead) {
        m_pHead = block->pNext;
        ::operator delete(block);
    }
}

}  // namespace qvp::detail

IMPLEMENT_SERIAL(CStringList, CObject, 0)

CStringList::CStringList(INT_PTR nBlockSize) : CList(nBlockSize) {}

CStringList::~CStringList() = default;

void CStringList::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteCount(static_cast<DWORD>(GetCount()));
        for (POSITION pos = GetHeadPosition(); pos;) ar << GetNext(pos);
        return;
    }
    // The count is not trusted: entries are added as they arrive, and a count
    // beyond the data ends in endOfFile, not in a big reservation.
    CArchive::CRecordScope record(ar);
    for (DWORD n = ar.ReadCount(); n > 0; --n) AddTailFrom(ar);
}
