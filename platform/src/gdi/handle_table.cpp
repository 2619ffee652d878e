#include "handle_table.h"

namespace qvp::detail {

namespace {
// Handle value: generation in the high bits, slot index + 1 in the low 24 bits,
// shifted so a handle never looks like a small integer or a null pointer.
constexpr unsigned kIndexBits = 24;
constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kIndexBits) - 1;
constexpr std::uintptr_t kTagMask = std::uintptr_t{0xFF} << 56;
constexpr std::uintptr_t kTag = std::uintptr_t{0x51} << 56;
// The largest index whose handle keeps index + 1 within its bits.
constexpr std::size_t kMaxSlots = kIndexMask;

std::uintptr_t Encode(std::size_t index, std::uint32_t generation) {
    return kTag | (std::uintptr_t{generation} << kIndexBits) | (index + 1);
}

// The slot index and generation a handle names; false for anything not shaped
// like one of our handles.
bool Decode(const void* handle, std::size_t& index, std::uint32_t& generation) {
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    if ((value & kTagMask) != kTag || (value & kIndexMask) == 0) return false;
    index = (value & kIndexMask) - 1;
    generation = static_cast<std::uint32_t>((value & ~kTagMask) >> kIndexBits);
    return true;
}
}  // namespace

// Never destroyed: modules unloaded at exit may still delete their objects after
// the run time has destroyed ordinary statics.
HandleTable& HandleTable::Instance() {
    static HandleTable* const table = new HandleTable;
    return *table;
}

HandleTable::Slot* HandleTable::SlotAt(std::size_t index) {
    Slot* block = m_blocks[index >> kBlockBits].load(std::memory_order_acquire);
    return block ? &block[index & (kBlockSize - 1)] : nullptr;
}

void* HandleTable::Add(std::unique_ptr<HandleObject> object) {
    std::lock_guard lock(m_mutex);
    std::size_t index;
    if (!m_free.empty()) {
        index = m_free.back();
        m_free.pop_back();
    } else {
        if (m_nSlots == kMaxSlots) return nullptr;
        index = m_nSlots++;
        std::atomic<Slot*>& block = m_blocks[index >> kBlockBits];
        // The block is complete before a look-up can find it.
        if (!block.load(std::memory_order_relaxed))
            block.store(new Slot[kBlockSize], std::memory_order_release);
    }
    Slot& slot = *SlotAt(index);
    std::uint32_t generation = slot.generation.load(std::memory_order_relaxed);
    slot.object.store(object.release(), std::memory_order_release);
    return reinterpret_cast<void*>(Encode(index, generation));
}

HandleObject* HandleTable::Find(const void* handle) {
    std::size_t index;
    std::uint32_t generation;
    if (!Decode(handle, index, generation)) return nullptr;
    Slot* slot = SlotAt(index);
    if (!slot || slot->generation.load(std::memory_order_acquire) != generation) return nullptr;
    HandleObject* object = slot->object.load(std::memory_order_acquire);
    // Removed (and perhaps the slot reused) while we read: the handle is stale.
    if (slot->generation.load(std::memory_order_acquire) != generation) return nullptr;
    return object;
}

bool HandleTable::Remove(const void* handle) {
    std::unique_ptr<HandleObject> doomed;
    {
        std::lock_guard lock(m_mutex);
        std::size_t index;
        std::uint32_t generation;
        if (!Decode(handle, index, generation)) return false;
        Slot* slot = SlotAt(index);
        if (!slot || slot->generation.load(std::memory_order_relaxed) != generation) return false;
        HandleObject* object = slot->object.load(std::memory_order_relaxed);
        if (!object || !object->CanDelete()) return false;
        doomed.reset(object);
        slot->object.store(nullptr, std::memory_order_relaxed);
        // Generations wrap within the bits a handle carries. The release orders the
        // emptied object before the new generation for look-ups.
        std::uint32_t next = (generation + 1) & 0xFFFFFFu;
        slot->generation.store(next ? next : 1, std::memory_order_release);
        m_free.push_back(index);
    }
    return true;  // `doomed` dies outside the lock; its destructor may touch the table
}

std::size_t HandleTable::LiveCount() {
    std::lock_guard lock(m_mutex);
    return m_nSlots - m_free.size();
}

}  // namespace qvp::detail
