#include "handle_table.h"

namespace qvp::detail {

namespace {
// Handle value: generation in the high bits, slot index + 1 in the low 24 bits,
// shifted so a handle never looks like a small integer or a null pointer.
constexpr unsigned kIndexBits = 24;
constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kIndexBits) - 1;
constexpr std::uintptr_t kTag = std::uintptr_t{0x51} << 56;

std::uintptr_t Encode(std::size_t index, std::uint32_t generation) {
    return kTag | (std::uintptr_t{generation} << kIndexBits) | (index + 1);
}
}  // namespace

// Never destroyed: modules unloaded at exit may still delete their objects after
// the run time has destroyed ordinary statics.
HandleTable& HandleTable::Instance() {
    static HandleTable* const table = new HandleTable;
    return *table;
}

void* HandleTable::Add(std::unique_ptr<HandleObject> object) {
    std::lock_guard lock(m_mutex);
    std::size_t index;
    if (!m_free.empty()) {
        index = m_free.back();
        m_free.pop_back();
    } else {
        index = m_slots.size();
        m_slots.emplace_back();
    }
    m_slots[index].object = std::move(object);
    return reinterpret_cast<void*>(Encode(index, m_slots[index].generation));
}

bool HandleTable::Decode(const void* handle, std::size_t& index) {
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    if ((value & (std::uintptr_t{0xFF} << 56)) != kTag || (value & kIndexMask) == 0) return false;
    index = (value & kIndexMask) - 1;
    if (index >= m_slots.size() || !m_slots[index].object) return false;
    auto generation =
        static_cast<std::uint32_t>((value & ~(std::uintptr_t{0xFF} << 56)) >> kIndexBits);
    return generation == m_slots[index].generation;
}

HandleObject* HandleTable::Find(const void* handle) {
    std::lock_guard lock(m_mutex);
    return FindLocked(handle);
}

HandleObject* HandleTable::FindLocked(const void* handle) {
    std::size_t index;
    return Decode(handle, index) ? m_slots[index].object.get() : nullptr;
}

bool HandleTable::Remove(const void* handle) {
    std::unique_ptr<HandleObject> doomed;
    {
        std::lock_guard lock(m_mutex);
        std::size_t index;
        if (!Decode(handle, index) || !m_slots[index].object->CanDelete()) return false;
        doomed = std::move(m_slots[index].object);
        // Generations wrap within the bits a handle carries.
        m_slots[index].generation = (m_slots[index].generation + 1) & 0xFFFFFFu;
        if (m_slots[index].generation == 0) m_slots[index].generation = 1;
        m_free.push_back(index);
    }
    return true;  // `doomed` dies outside the lock; its destructor may touch the table
}

std::size_t HandleTable::LiveCount() {
    std::lock_guard lock(m_mutex);
    return m_slots.size() - m_free.size();
}

}  // namespace qvp::detail
