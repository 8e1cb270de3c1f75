#pragma once

#include <QString>
#include <QStringList>

// The command line: the framework's usual single-document handling (an
// optional document name, which opens the empty document and so changes
// nothing), --help and --version, and --port N to open port N at start instead
// of the remembered one.
struct StartupOptions {
    int port = 0;         // 0: the remembered port
    QString document;     // a document named on the command line
    bool exitNow = false; // --help or --version: print message and end
    QString message;
    QString error;        // non-empty: the command line is wrong; end before any window
};

StartupOptions ParseStartupOptions(const QStringList& arguments);

inline constexpr int kLowestPort = 1;
inline constexpr int kHighestPort = 100;
