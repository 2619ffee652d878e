// One table for every graphics object handle of the process. A handle encodes a
// slot and the slot's generation, so a stale or foreign handle is refused instead
// of being dereferenced.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace qvp::detail {

enum class ObjectKind : std::uint8_t { Region = 1, Bitmap, Font, Brush, Pen, DC, ImageList };

// Base of everything a handle can name. Each concrete type states its kind as
// `static constexpr ObjectKind kKind`.
struct HandleObject {
    virtual ~HandleObject() = default;
    virtual ObjectKind Kind() const = 0;
    // False while the object may not be deleted (a bitmap selected into a DC).
    virtual bool CanDelete() const { return true; }
};

class HandleTable {
public:
    static HandleTable& Instance();

    // Takes the object over and returns its new handle (never null).
    void* Add(std::unique_ptr<HandleObject> object);

    // The object named by `handle` when it is live and of kind T, else null.
    template <class T>
    T* Get(const void* handle) {
        return As<T>(Find(handle));
    }

    HandleObject* Find(const void* handle);

    // Holds the table's lock across several look-ups, so that a call needing more than one
    // object takes it once. What it finds stays valid afterwards just as Get's results do.
    class Lookup {
    public:
        explicit Lookup(HandleTable& table) : m_table(table), m_lock(table.m_mutex) {}
        template <class T>
        T* Get(const void* handle) {
            return As<T>(m_table.FindLocked(handle));
        }

    private:
        HandleTable& m_table;
        std::lock_guard<std::mutex> m_lock;
    };

    // Destroys the object and retires the handle; false for a handle not live
    // or for an object that refuses deletion.
    bool Remove(const void* handle);

    std::size_t LiveCount();

private:
    struct Slot {
        std::unique_ptr<HandleObject> object;
        std::uint32_t generation = 1;
    };
    template <class T>
    static T* As(HandleObject* object) {
        return object && object->Kind() == T::kKind ? static_cast<T*>(object) : nullptr;
    }
    bool Decode(const void* handle, std::size_t& index);
    HandleObject* FindLocked(const void* handle);

    std::mutex m_mutex;
    std::vector<Slot> m_slots;
    std::vector<std::size_t> m_free;
};

}  // namespace qvp::detail
