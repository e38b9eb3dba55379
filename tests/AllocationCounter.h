#pragma once
// Replaces the global allocation functions so that a test program can count the
// allocations its hot paths make. Include it in exactly one translation unit of
// a test program: replacement allocation functions may be defined only once.
#include <atomic>
#include <cstdlib>
#include <new>

namespace alloctest {
// Every operator new of the program, throwing or not, scalar or array.
inline std::atomic<long> g_allocations{0};
} // namespace alloctest

void* operator new(std::size_t size) {
    alloctest::g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    alloctest::g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
