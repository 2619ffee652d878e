#include <algorithm>
#include <cstring>

#include "messages/msg_internal.h"

namespace qvdll::detail {

namespace {

// What a block may take before its bytes have shown up.
constexpr std::size_t kFirstChunk = 64 * 1024;

// The bytes that the file under `ar` still holds past its position, when the
// file is in memory and so cannot be shorter than it says; 0 for any other
// file. The archive may hold more in its buffer: this never overstates.
std::size_t BytesSurelyPresent(const CArchive& ar) {
    CFile* file = ar.GetFile();
    if (!file || !file->IsKindOf(RUNTIME_CLASS(CMemFile))) return 0;
    const ULONGLONG length = file->GetLength();
    const ULONGLONG position = file->GetPosition();
    return length > position ? static_cast<std::size_t>(length - position) : 0;
}

}  // namespace

const CUnit& DefaultUnit() {
    static const CUnit unit;
    return unit;
}

const CUnitList& EmptyUnitList() {
    static const CUnitList list;
    return list;
}

std::unique_ptr<BYTE[]> ReadBlock(CArchive& ar, std::size_t prefix, std::size_t count) {
    const std::size_t total = prefix + count;
    if (total == 0) return nullptr;
    // The room doubles as the bytes arrive, so a peer's count costs at most
    // twice what it actually sent; once the rest is known to be there it is
    // taken in one step. (Ahead of the first read the archive may have read
    // part of the block into its buffer; after it, the file holds the rest.)
    // Each step counts against the record budget before it is taken.
    auto nextCapacity = [&](std::size_t filled, std::size_t capacity) {
        return total - filled <= BytesSurelyPresent(ar) ? total : std::min(total, capacity * 2);
    };
    std::size_t capacity = nextCapacity(prefix, prefix + kFirstChunk / 2);
    ar.ChargeRecord(capacity + CArchive::kAllocationOverhead);
    auto block = std::make_unique_for_overwrite<BYTE[]>(capacity);
    std::size_t filled = prefix;
    for (;;) {
        // A block never exceeds 4 + 2^32 - 1 bytes, and no single read asks
        // for more than a count, which is 32 bits.
        filled += ar.Read(block.get() + filled, static_cast<UINT>(capacity - filled));
        if (filled < capacity)
            AfxThrowArchiveException(CArchiveException::endOfFile,
                                     "archive ended inside a block: needed " +
                                         std::to_string(count) + " bytes, " +
                                         std::to_string(filled - prefix) + " left");
        if (capacity == total) return block;
        const std::size_t grown = nextCapacity(filled, capacity);
        ar.ChargeRecord(grown - capacity);
        auto bigger = std::make_unique_for_overwrite<BYTE[]>(grown);
        std::memcpy(bigger.get(), block.get(), filled);
        block = std::move(bigger);
        capacity = grown;
    }
}

void ThrowUnwritable(const std::string& why) {
    AfxThrowArchiveException(CArchiveException::genericException, "message not written: " + why);
}

}  // namespace qvdll::detail
