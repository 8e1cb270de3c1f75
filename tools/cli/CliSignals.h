#pragma once

class QCoreApplication;

// Ends the event loop cleanly on SIGINT and SIGTERM, so the port is closed and
// the watchers are joined as on a normal exit.
void QuitOnSignals(QCoreApplication& app);
