#pragma once

class QCoreApplication;

// Ends the event loop cleanly on SIGINT and SIGTERM, so the port is closed and
// the watchers are joined as on a normal exit: the loop returns 128 plus the
// signal's number, as a shell reports a command ended by it.
void QuitOnSignals(QCoreApplication& app);

// The exit code of an event loop ended by a signal is at least this.
inline constexpr int kExitSignalled = 128;
