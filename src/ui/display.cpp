// SPDX-License-Identifier: MIT

#include "display.h"

#include <QFileInfo>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace ui {

// The platform named on the command line, else in the environment; empty for Qt's default.
static QString chosenPlatform(int argc, const char *const *argv,
                              const QProcessEnvironment &environment)
{
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-platform" || arg == "--platform")
            return QString::fromLocal8Bit(argv[i + 1]);
    }
    return environment.value(u"QT_QPA_PLATFORM"_s);
}

// Whether every platform Qt may try (a list separated by ';', each with its own ':' options)
// talks to a window system found through DISPLAY or WAYLAND_DISPLAY.
static bool needsDisplay(const QString &platforms)
{
    if (platforms.isEmpty())
        return true;
    for (const QString &entry : platforms.split(u';', Qt::SkipEmptyParts)) {
        const QString name = entry.section(u':', 0, 0);
        if (name != "xcb"_L1 && !name.startsWith("wayland"_L1))
            return false;
    }
    return true;
}

// The language of messages, as the C library picks it: LANGUAGE, then LC_ALL, LC_MESSAGES, LANG.
static bool japaneseMessages(const QProcessEnvironment &environment)
{
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = environment.value(QString::fromLatin1(name));
        if (!value.isEmpty())
            return value.startsWith("ja"_L1);
    }
    return false;
}

std::optional<QString> missingDisplayMessage(int argc, const char *const *argv,
                                             const QProcessEnvironment &environment)
{
    if (!environment.value(u"DISPLAY"_s).isEmpty()
        || !environment.value(u"WAYLAND_DISPLAY"_s).isEmpty()
        || !needsDisplay(chosenPlatform(argc, argv, environment)))
        return std::nullopt;
    const QString program = argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName()
                                     : QString();
    const QString text = japaneseMessages(environment)
        ? u"画面に接続できません（DISPLAY も WAYLAND_DISPLAY もありません）"_s
        : u"cannot connect to a display (neither DISPLAY nor WAYLAND_DISPLAY is set)"_s;
    return program.isEmpty() ? text : program + u": "_s + text;
}

bool reportMissingDisplay(int argc, const char *const *argv)
{
    const std::optional<QString> message =
        missingDisplayMessage(argc, argv, QProcessEnvironment::systemEnvironment());
    if (!message)
        return false;
    std::fputs((*message + u'\n').toLocal8Bit().constData(), stderr);
    return true;
}

} // namespace ui
