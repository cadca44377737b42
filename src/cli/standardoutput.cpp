// SPDX-License-Identifier: MIT

#include "standardoutput.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace cli {

StandardOutput::StandardOutput(int fd) : m_fd(fd)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 StandardOutput::writeData(const char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : ENOSPC;
            setErrorString(QString::fromLocal8Bit(std::strerror(m_error)));
            return -1;
        }
        done += n;
    }
    return done;
}

} // namespace cli
