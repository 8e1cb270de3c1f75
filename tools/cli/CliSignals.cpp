#include "CliSignals.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>

namespace {

volatile std::sig_atomic_t g_signal = 0;

void OnSignal(int signal)
{
    g_signal = signal;
}

} // namespace

void QuitOnSignals(QCoreApplication& app)
{
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    auto* poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, &app, [] {
        if (g_signal != 0)
            QCoreApplication::exit(kExitSignalled + g_signal);
    });
    poll->start(100);
}
