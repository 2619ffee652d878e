// Framework objects by handle: the permanent ones that own their handle, and temporary
// ones made for handles nobody owns. A temporary object is kept while its handle lives,
// so a pointer handed out for a live handle stays valid; once the handle is gone the
// object is dropped the next time the map grows.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>

namespace qvp::detail {

template <class Wrapper, class Handle>
class HandleMap {
public:
    using Make = std::unique_ptr<Wrapper> (*)(Handle);
    using Live = bool (*)(Handle);
    using Forget = void (*)(Wrapper&);  // clears the wrapper's handle without releasing it

    HandleMap(Make make, Live live, Forget forget) : m_make(make), m_live(live), m_forget(forget) {}

    void Attach(Handle h, Wrapper* w) {
        std::lock_guard lock(m_mutex);
        m_permanent[h] = w;
    }
    void Detach(Handle h, const Wrapper* w) {
        std::lock_guard lock(m_mutex);
        auto it = m_permanent.find(h);
        if (it != m_permanent.end() && it->second == w) m_permanent.erase(it);
    }

    Wrapper* FromHandle(Handle h) {
        if (!h || !m_live(h)) return nullptr;
        std::lock_guard lock(m_mutex);
        if (auto it = m_permanent.find(h); it != m_permanent.end()) return it->second;
        if (auto it = m_temporary.find(h); it != m_temporary.end()) return it->second.get();
        if (m_temporary.size() >= m_nPruneAt) Prune();
        auto made = m_make(h);
        Wrapper* w = made.get();
        m_temporary.emplace(h, std::move(made));
        return w;
    }

private:
    void Prune() {
        for (auto it = m_temporary.begin(); it != m_temporary.end();) {
            if (m_live(it->first)) {
                ++it;
                continue;
            }
            m_forget(*it->second);  // a temporary object never releases its handle
            it = m_temporary.erase(it);
        }
        m_nPruneAt = 2 * m_temporary.size() + 64;
    }

    Make m_make;
    Live m_live;
    Forget m_forget;
    std::mutex m_mutex;
    std::unordered_map<Handle, Wrapper*> m_permanent;
    std::unordered_map<Handle, std::unique_ptr<Wrapper>> m_temporary;
    std::size_t m_nPruneAt = 64;
};

}  // namespace qvp::detail
