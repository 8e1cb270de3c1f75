#pragma once

class QCoreApplication;

// Ends the event loop cleanly on every signal that would end the program and
// can be caught (SIGHUP of a closed terminal, SIGINT, SIGQUIT, SIGTERM, the
// user signals, the timers, the resource limits), so the port is closed, the
// watchers are joined and what was recorded is saved as on a normal exit: the
// loop returns 128 plus the signal's number, as a shell reports a command
// ended by it. SIGPIPE is left to each command (see IgnoreBrokenPipe).
void QuitOnSignals(QCoreApplication& app);

// A reader of standard output that goes away (`| head -1`) no longer ends
// the program: writes to it fail instead, and the command checks them.
void IgnoreBrokenPipe();

// The exit code of an event loop ended by a signal is at least this.
inline constexpr int kExitSignalled = 128;
