// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <type_traits>

namespace ui {

class Dialogs;

// A failed platform operation: the run-time error number and its description, as the runtime
// reports them. Raised by picture loading and saving; caught by the command that traps it, or by
// the handler guard.
class RuntimeError : public std::exception
{
public:
    // The runtime's error numbers that this program can raise.
    enum Number {
        OutOfMemory = 7,
        // Any other failure inside the program itself.
        InternalError = 51,
        FileNotFound = 53,
        DeviceIOError = 57,
        DiskFull = 61,
        PathFileAccessError = 75,
        PathNotFound = 76,
        InvalidPicture = 481,
    };

    RuntimeError(int number, QString description);

    int number() const { return m_number; }
    QString description() const { return m_description; }

    // "description" followed by the detail, on a line of its own, where there is one.
    static RuntimeError withDetail(int number, const QString &detail);

    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number = 0;
    QString m_description;
    QByteArray m_what;
};

// The runtime's own description of an error number, in Japanese.
QString runtimeErrorDescription(int number);

// Every event handler runs through this guard. An error that no handler caught is shown in a
// message box with its number and description; then the application ends.
void runHandler(Dialogs &dialogs, const std::function<void()> &handler);

// Connects `signal` to `handler` through the guard: the one way an event handler is wired. The
// handler takes the signal's arguments, or none.
template<typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectGuarded(Dialogs &dialogs, Sender *sender, Signal signal,
                                       const QObject *context, Handler handler)
{
    return QObject::connect(sender, signal, context,
                            [&dialogs, handler](const auto &...args) {
                                runHandler(dialogs, [&] {
                                    if constexpr (std::is_invocable_v<Handler, decltype(args)...>)
                                        handler(args...);
                                    else
                                        handler();
                                });
                            });
}

// Builds the text of that message box.
QString uncaughtErrorText(int number, const QString &description);

// The desktop's one way of saying that a file the user chose could not be read or written: a
// message box with the exclamation mark, naming the file, then why (a run-time error's description).
QString readFailedText(const QString &path, const QString &reason);
QString writeFailedText(const QString &path, const QString &reason);

} // namespace ui
