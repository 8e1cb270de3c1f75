#include "CliSignals.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>

namespace {

volatile std::sig_atomic_t g_signalled = 0;

void OnSignal(int)
{
    g_signalled = 1;
}

} // namespace

void QuitOnSignals(QCoreApplication& app)
{
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    auto* poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, &app, [&app] {
        if (g_signalled)
            app.quit();
    });
    poll->start(100);
}
