// Lists: the typed doubly linked list CList, whose nodes come from blocks, and
// CStringList, a list of CString with its archive form.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "qvplatform/archive.h"
#include "qvplatform/cstring.h"
#include "qvplatform/exceptions.h"

// A place in a list: one of its nodes. Valid until that node is removed.
struct QvpPositionTag;
using POSITION = QvpPositionTag*;

namespace qvp::detail {

// Raw memory for list nodes, taken in blocks and freed all at once.
class QVP_API CNodeBlocks {
public:
    CNodeBlocks() = default;
    ~CNodeBlocks() { FreeAll(); }
    CNodeBlocks(const CNodeBlocks&) = delete;
    CNodeBlocks& operator=(const CNodeBlocks&) = delete;

    // Uninitialised room for `count` elements of `size` bytes each, aligned for
    // any standard type. Throws CMemoryException.
    void* Allocate(std::size_t count, std::size_t size);
    void FreeAll() noexcept;

    // What a block costs beyond its nodes: its header and the allocator's.
    static constexpr std::size_t kBlockOverhead =
        alignof(std::max_align_t) + CArchive::kAllocationOverhead;

private:
    struct Block;
    Block* m_pHead = nullptr;
};

}  // namespace qvp::detail

// A list of TYPE values. Each node holds its own copy: an element is
// default-constructed in its node, then given the value with TYPE's assignment
// operator, and destroyed when its node is removed. Nodes are carved from
// blocks of nBlockSize; removed nodes go to a free list for reuse, and all
// blocks are released when the list becomes empty. Asking an empty list for an
// element, or passing a null POSITION where a node is needed, throws
// CInvalidArgException.
template <class TYPE, class ARG_TYPE = const TYPE&>
class QVP_API CList : public CObject {
public:
    explicit CList(INT_PTR nBlockSize = 10) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}
    ~CList() override { RemoveAll(); }

    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    TYPE& GetHead() { return NonEmpty(m_pNodeHead)->data; }
    const TYPE& GetHead() const { return NonEmpty(m_pNodeHead)->data; }
    TYPE& GetTail() { return NonEmpty(m_pNodeTail)->data; }
    const TYPE& GetTail() const { return NonEmpty(m_pNodeTail)->data; }

    TYPE RemoveHead() { return Take(NonEmpty(m_pNodeHead)); }
    TYPE RemoveTail() { return Take(NonEmpty(m_pNodeTail)); }

    POSITION AddHead(ARG_TYPE newElement) {
        return Link(MakeNode(newElement), nullptr, m_pNodeHead);
    }
    POSITION AddTail(ARG_TYPE newElement) {
        return Link(MakeNode(newElement), m_pNodeTail, nullptr);
    }
    // A null position inserts at the head (InsertBefore) or the tail (InsertAfter).
    POSITION InsertBefore(POSITION position, ARG_TYPE newElement) {
        CNode* pNext = Node(position);
        return Link(MakeNode(newElement), pNext ? pNext->pPrev : nullptr,
                    pNext ? pNext : m_pNodeHead);
    }
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement) {
        CNode* pPrev = Node(position);
        return Link(MakeNode(newElement), pPrev ? pPrev : m_pNodeTail,
                    pPrev ? pPrev->pNext : nullptr);
    }

    // Loading: appends an element in its default state and reads it in place
    // with `ar >> element`, after counting its node (with its share of a
    // block) against the archive's record budget. An element that the archive
    // cannot complete is taken off again.
    void AddTailFrom(CArchive& ar) {
        ar.ChargeRecord(sizeof(CNode) + (qvp::detail::CNodeBlocks::kBlockOverhead +
                                         static_cast<std::size_t>(m_nBlockSize) - 1) /
                                            static_cast<std::size_t>(m_nBlockSize));
        POSITION pos = AddTail(TYPE());
        try {
            ar >> GetAt(pos);
        } catch (...) {
            RemoveAt(pos);
            throw;
        }
    }

    void RemoveAll() noexcept {
        for (CNode* p = m_pNodeHead; p;) {
            CNode* pNext = p->pNext;
            p->~CNode();
            p = pNext;
        }
        m_pNodeHead = m_pNodeTail = nullptr;
        m_pNodeFree = nullptr;
        m_nCount = 0;
        m_blocks.FreeAll();
    }

    POSITION GetHeadPosition() const { return Position(m_pNodeHead); }
    POSITION GetTailPosition() const { return Position(m_pNodeTail); }
    // The element at `rPosition`; moves `rPosition` on to the next (or previous)
    // node, null after the last.
    TYPE& GetNext(POSITION& rPosition) { return Step(rPosition, &CNode::pNext)->data; }
    const TYPE& GetNext(POSITION& rPosition) const { return Step(rPosition, &CNode::pNext)->data; }
    TYPE& GetPrev(POSITION& rPosition) { return Step(rPosition, &CNode::pPrev)->data; }
    const TYPE& GetPrev(POSITION& rPosition) const { return Step(rPosition, &CNode::pPrev)->data; }

    TYPE& GetAt(POSITION position) { return Valid(position)->data; }
    const TYPE& GetAt(POSITION position) const { return Valid(position)->data; }
    void SetAt(POSITION position, ARG_TYPE newElement) { Valid(position)->data = newElement; }
    void RemoveAt(POSITION position) { FreeNode(Unlink(Valid(position))); }

    // The first node after `startAfter` (from the head when null) whose element
    // equals `searchValue`, the element on the left of ==; null when none does.
    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const {
        CNode* p = startAfter ? Valid(startAfter)->pNext : m_pNodeHead;
        for (; p; p = p->pNext)
            if (p->data == searchValue) return Position(p);
        return nullptr;
    }
    // The node at index nIndex counted from the head; null when out of range.
    POSITION FindIndex(INT_PTR nIndex) const {
        if (nIndex < 0 || nIndex >= m_nCount) return nullptr;
        CNode* p = m_pNodeHead;
        while (nIndex-- > 0) p = p->pNext;
        return Position(p);
    }

private:
    struct CNode {
        CNode() : data() {}
        CNode* pNext = nullptr;
        CNode* pPrev = nullptr;
        TYPE data;
    };
    struct CFreeSlot {
        CFreeSlot* pNext;
    };
    static_assert(alignof(CNode) <= alignof(std::max_align_t), "over-aligned list element");

    static POSITION Position(CNode* p) { return reinterpret_cast<POSITION>(p); }
    static CNode* Node(POSITION position) { return reinterpret_cast<CNode*>(position); }
    static CNode* Valid(POSITION position) {
        if (!position) AfxThrowInvalidArgException("null list position");
        return Node(position);
    }
    static CNode* NonEmpty(CNode* p) {
        if (!p) AfxThrowInvalidArgException("list is empty");
        return p;
    }
    static CNode* Step(POSITION& rPosition, CNode* CNode::*link) {
        CNode* p = Valid(rPosition);
        rPosition = Position(p->*link);
        return p;
    }

    // A node holding a copy of `value`, not yet linked in.
    CNode* MakeNode(ARG_TYPE value) {
        if (!m_pNodeFree) {
            auto* raw = static_cast<std::byte*>(
                m_blocks.Allocate(static_cast<std::size_t>(m_nBlockSize), sizeof(CNode)));
            for (INT_PTR i = m_nBlockSize; i-- > 0;)
                m_pNodeFree = ::new (raw + i * sizeof(CNode)) CFreeSlot{m_pNodeFree};
        }
        CFreeSlot* slot = m_pNodeFree;
        m_pNodeFree = slot->pNext;
        CNode* p = nullptr;
        try {
            p = ::new (static_cast<void*>(slot)) CNode;
            p->data = value;
        } catch (...) {
            if (p) p->~CNode();
            m_pNodeFree = ::new (static_cast<void*>(slot)) CFreeSlot{m_pNodeFree};
            throw;
        }
        ++m_nCount;
        return p;
    }
    POSITION Link(CNode* p, CNode* pPrev, CNode* pNext) noexcept {
        p->pPrev = pPrev;
        p->pNext = pNext;
        (pPrev ? pPrev->pNext : m_pNodeHead) = p;
        (pNext ? pNext->pPrev : m_pNodeTail) = p;
        return Position(p);
    }
    CNode* Unlink(CNode* p) noexcept {
        (p->pPrev ? p->pPrev->pNext : m_pNodeHead) = p->pNext;
        (p->pNext ? p->pNext->pPrev : m_pNodeTail) = p->pPrev;
        return p;
    }
    void FreeNode(CNode* p) noexcept {
        p->~CNode();
        m_pNodeFree = ::new (static_cast<void*>(p)) CFreeSlot{m_pNodeFree};
        if (--m_nCount == 0) RemoveAll();
    }
    TYPE Take(CNode* p) {
        TYPE value = std::move(p->data);
        FreeNode(Unlink(p));
        return value;
    }

    CNode* m_pNodeHead = nullptr;
    CNode* m_pNodeTail = nullptr;
    INT_PTR m_nCount = 0;
    CFreeSlot* m_pNodeFree = nullptr;
    INT_PTR m_nBlockSize;
    qvp::detail::CNodeBlocks m_blocks;
};

// A list of strings, in the framework's list archive form: the element count
// in the count encoding, then each entry in the string encoding.
class QVP_API CStringList : public CList<CString, const CString&> {
    DECLARE_SERIAL(CStringList)
public:
    explicit CStringList(INT_PTR nBlockSize = 10);
    ~CStringList() override;

    // Loading appends to the entries already in the list, as the framework's
    // lists do; empty the list first to get exactly the archive's entries.
    // The entries and their nodes count against the archive's record budget.
    void Serialize(CArchive& ar) override;
};
