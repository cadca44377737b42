// SPDX-License-Identifier: MIT

#pragma once

#include <QIODevice>

namespace cli {

// Standard output as a device that writes straight to its file descriptor: every byte is written
// or the write fails, there is no buffer to lose at exit, and the failure keeps its errno, so a
// reader that went away (EPIPE) can be told from a full disk.
class StandardOutput final : public QIODevice
{
public:
    explicit StandardOutput(int fd);

    // errno of the last failed write, 0 while none failed.
    int lastError() const { return m_error; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    int m_fd;
    int m_error = 0;
};

} // namespace cli
