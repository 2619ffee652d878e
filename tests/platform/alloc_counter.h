// Watches the allocations of the test process (operator new is replaced for
// the whole test binary) while a scope is alive, so that a test can show that
// a hostile length did not size an allocation.
#pragma once

#include <cstddef>

namespace qvtest {

class AllocationWatch {
public:
    AllocationWatch();
    ~AllocationWatch();
    AllocationWatch(const AllocationWatch&) = delete;
    AllocationWatch& operator=(const AllocationWatch&) = delete;

    std::size_t Largest() const;  // the biggest single request seen
    std::size_t Count() const;    // how many requests
};

}  // namespace qvtest
