// SPDX-License-Identifier: MIT

#include "loadandmake.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

// Decoders report what they skip through Qt's warnings; at fuzzing speed that is only noise.
static void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Image format plugins are found through the application.
    static QCoreApplication application(*argc, *argv);
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzcase::loadAndMake(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
