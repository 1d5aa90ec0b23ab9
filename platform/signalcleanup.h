#pragma once

#include <QByteArray>

namespace platform {

// Temporary files and folders that an interrupted program must not leave
// behind. Once watchSignals() has run, SIGINT, SIGTERM and SIGHUP remove
// every path still registered and then end the process as the signal
// would have. Without it, registering costs a lock and nothing else.

// Call before any other thread starts: the signals are then taken by a
// thread of their own, never in the middle of another thread's work.
void watchSignals();

// A path (file or folder, removed with its content) to remove on a signal.
void registerTemporary(const QByteArray &path);
void unregisterTemporary(const QByteArray &path);

} // namespace platform
