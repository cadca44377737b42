// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <new>

namespace picture {

// Memory for pixels and planes of depth, zeroed. Where the kernel offers large pages, a buffer of
// 1 MiB or more is mapped on its own, in whole pages of 2 MiB on their boundaries, and offered to
// them: filling a 1920 x 1080 plane then takes two page faults rather than a thousand, which on a
// virtual machine was a good part of what reading a picture cost. At most half of such a mapping
// goes unused. Other buffers come from the heap.
// With `zeroed` false, for a buffer about to be overwritten whole, a small one is not cleared.
void *allocateBuffer(std::size_t bytes, bool zeroed = true) noexcept; // nullptr when out of memory
void releaseBuffer(void *buffer, std::size_t bytes) noexcept;

// For std::vector of pixels or depths.
template<typename T>
struct BufferAllocator
{
    using value_type = T;

    BufferAllocator() noexcept = default;
    template<typename U>
    BufferAllocator(const BufferAllocator<U> &) noexcept
    {
    }

    T *allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        void *p = allocateBuffer(n * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        return static_cast<T *>(p);
    }
    void deallocate(T *p, std::size_t n) noexcept { releaseBuffer(p, n * sizeof(T)); }

    template<typename U>
    bool operator==(const BufferAllocator<U> &) const noexcept
    {
        return true;
    }
};

} // namespace picture
