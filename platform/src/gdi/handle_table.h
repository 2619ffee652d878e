// One table for every graphics object handle of the process. A handle encodes a
// slot and the slot's generation, so a stale or foreign handle is refused instead
// of being dereferenced.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace qvp::detail {

enum class ObjectKind : std::uint8_t { Region = 1, Bitmap, Font, Brush, Pen, DC, ImageList, Window };

// Base of everything a handle can name. Each concrete type states its kind as
// `static constexpr ObjectKind kKind`.
struct HandleObject {
    virtual ~HandleObject() = default;
    virtual ObjectKind Kind() const = 0;
    // False while the object may not be deleted (a bitmap selected into a DC).
    virtual bool CanDelete() const { return true; }
};

// Adding and removing take the table's lock; looking up does not, since every drawing
// call looks up its objects and a lock would cost it more than a small transfer does.
class HandleTable {
public:
    static HandleTable& Instance();

    // Takes the object over and returns its new handle; null only when every one of
    // the 2^24 slots a handle can name is taken.
    void* Add(std::unique_ptr<HandleObject> object);

    // The object named by `handle` when it is live and of kind T, else null.
    template <class T>
    T* Get(const void* handle) {
        HandleObject* object = Find(handle);
        return object && object->Kind() == T::kKind ? static_cast<T*>(object) : nullptr;
    }

    HandleObject* Find(const void* handle);

    // Destroys the object and retires the handle; false for a handle not live
    // or for an object that refuses deletion.
    bool Remove(const void* handle);

    std::size_t LiveCount();

private:
    // A slot's generation changes only while its object is null, so a look-up that
    // reads the same generation before and after reading the object has read the
    // object of that generation.
    struct Slot {
        std::atomic<HandleObject*> object{nullptr};
        std::atomic<std::uint32_t> generation{1};
    };
    // Slots sit in blocks that never move and live as long as the process, so a
    // look-up may read them while another thread adds a block.
    static constexpr unsigned kBlockBits = 12;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
    static constexpr std::size_t kBlockCount = (std::size_t{1} << 24) / kBlockSize;

    Slot* SlotAt(std::size_t index);

    std::mutex m_mutex;
    std::array<std::atomic<Slot*>, kBlockCount> m_blocks{};
    std::size_t m_nSlots = 0;         // slots handed out so far
    std::vector<std::size_t> m_free;  // of those, the ones now empty
};

}  // namespace qvp::detail
