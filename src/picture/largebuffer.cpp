// SPDX-License-Identifier: MIT

#include "largebuffer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace picture {

namespace {

constexpr std::size_t LargePage = std::size_t(2) << 20;

std::size_t mappedLength(std::size_t bytes)
{
    return (bytes + LargePage - 1) / LargePage * LargePage;
}

#ifdef __linux__
// Whether the kernel hands out large pages to those who ask (its setting "always" or "madvise").
// Where it never does, the heap serves better: a batch reuses the memory of the last picture
// instead of faulting fresh pages in.
bool kernelOffersLargePages()
{
    std::FILE *file = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "re");
    if (!file)
        return false;
    char setting[128] = {};
    const bool read = std::fgets(setting, sizeof setting, file) != nullptr;
    std::fclose(file);
    return read && std::strstr(setting, "[never]") == nullptr;
}
#endif

bool isLarge(std::size_t bytes)
{
#ifdef __linux__
    static const bool offered = kernelOffersLargePages();
    return offered && bytes >= LargePage / 2 && bytes <= std::size_t(-1) - 2 * LargePage;
#else
    (void)bytes;
    return false;
#endif
}

} // namespace

void *allocateBuffer(std::size_t bytes, bool zeroed) noexcept
{
    if (!isLarge(bytes))
        return zeroed ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
#ifdef __linux__
    // Map a large page more than asked, then give back what lies before the first boundary and
    // after the last, so that the kernel can back every 2 MiB of it with one page.
    const std::size_t length = mappedLength(bytes);
    void *mapped = mmap(nullptr, length + LargePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const auto aligned = (start + LargePage - 1) & ~(LargePage - 1);
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (const std::size_t tail = start + length + LargePage - (aligned + length))
        munmap(reinterpret_cast<void *>(aligned + length), tail);
    auto *buffer = reinterpret_cast<void *>(aligned);
    madvise(buffer, length, MADV_HUGEPAGE); // a hint: without large pages it is ordinary memory
    return buffer;
#else
    return nullptr;
#endif
}

void releaseBuffer(void *buffer, std::size_t bytes) noexcept
{
    if (!buffer)
        return;
    if (!isLarge(bytes)) {
        std::free(buffer);
        return;
    }
#ifdef __linux__
    munmap(buffer, mappedLength(bytes));
#endif
}

} // namespace picture
