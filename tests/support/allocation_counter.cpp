// Replaces the global allocation functions of the test program with counting ones.
#include "support/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {
long g_allocations = 0;

void* counted_allocation(std::size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
}  // namespace

long allocation_count()
{
    return g_allocations;
}

void* operator new(std::size_t size)
{
    return counted_allocation(size);
}

void* operator new[](std::size_t size)
{
    return counted_allocation(size);
}

// The nothrow forms too: otherwise they come from the library (or a sanitizer's runtime) while
// the memory goes back through the replaced delete, a mismatch, and they would go uncounted.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    ++g_allocations;
    return std::malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    ++g_allocations;
    return std::malloc(size ? size : 1);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
