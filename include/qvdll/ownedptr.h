// TOwnedPtr: the library's owning pointer, a pointer paired with an owns flag.
// Copying hands ownership over, and the source keeps its pointer without
// owning it, so an object that was copied still sees what it held.
// TOwnedPtr<T[]> holds an array made with new T[n] and destroys it with delete[].
#pragma once

#include <cstddef>
#include <type_traits>

template <class U>
class TOwnedPtr {
    using T = std::remove_extent_t<U>;

public:
    constexpr TOwnedPtr() noexcept = default;
    constexpr explicit TOwnedPtr(T* p) noexcept : m_p(p), m_bOwns(p != nullptr) {}

    // The hand-over: this takes pointer and flag; `other` keeps the pointer,
    // no longer owning it. A class holding owning pointers copies this way too.
    TOwnedPtr(TOwnedPtr& other) noexcept : m_p(other.m_p), m_bOwns(other.m_bOwns) {
        other.m_bOwns = false;
    }
    TOwnedPtr(TOwnedPtr&& other) noexcept : TOwnedPtr(other) {}

    // The hand-over into a pointer already in use: what it owned is destroyed
    // unless it is the object coming in, which stays owned if either side owned it.
    TOwnedPtr& operator=(TOwnedPtr& other) noexcept {
        if (this == &other) return *this;
        if (m_p != other.m_p) {
            if (m_bOwns) Destroy(m_p);
            m_bOwns = other.m_bOwns;
        } else if (other.m_bOwns) {
            m_bOwns = true;
        }
        m_p = other.Release();
        return *this;
    }
    TOwnedPtr& operator=(TOwnedPtr&& other) noexcept { return *this = other; }

    ~TOwnedPtr() {
        if (m_bOwns) Destroy(m_p);
    }

    // Puts `p` in: the object held is destroyed when it is owned and is not `p`;
    // afterwards the pointer is owned exactly when it is not null.
    void Reset(T* p = nullptr) noexcept {
        if (m_bOwns && m_p != p) Destroy(m_p);
        m_p = p;
        m_bOwns = p != nullptr;
    }

    // Gives up ownership; the pointer stays held and is returned.
    T* Release() noexcept {
        m_bOwns = false;
        return m_p;
    }

    T* Get() const noexcept { return m_p; }
    bool Owns() const noexcept { return m_bOwns; }
    T& operator*() const noexcept { return *m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    T& operator[](std::size_t i) const noexcept requires std::is_array_v<U> { return m_p[i]; }

private:
    static void Destroy(T* p) noexcept {
        if constexpr (std::is_array_v<U>)
            delete[] p;
        else
            delete p;
    }

    T* m_p = nullptr;
    bool m_bOwns = false;
};
