// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>

#include <sys/mman.h>
#include <unistd.h>

// Memory that ends where a page that cannot be read begins: code that reads one byte past what
// it was given stops the test at once.
class GuardPage
{
public:
    GuardPage()
        : m_page(std::size_t(::sysconf(_SC_PAGESIZE))),
          m_area(::mmap(nullptr, 2 * m_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                        -1, 0))
    {
        if (m_area != MAP_FAILED
            && ::mprotect(static_cast<char *>(m_area) + m_page, m_page, PROT_NONE) != 0) {
            ::munmap(m_area, 2 * m_page);
            m_area = MAP_FAILED;
        }
    }
    ~GuardPage()
    {
        if (m_area != MAP_FAILED)
            ::munmap(m_area, 2 * m_page);
    }
    GuardPage(const GuardPage &) = delete;
    GuardPage &operator=(const GuardPage &) = delete;

    bool isValid() const { return m_area != MAP_FAILED; }
    // Room for `bytes` (at most a page) that ends at the unreadable page.
    char *endingAtGuard(std::size_t bytes) const
    {
        return static_cast<char *>(m_area) + m_page - bytes;
    }

private:
    std::size_t m_page;
    void *m_area;
};
