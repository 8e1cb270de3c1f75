#include "tools/cli/CliSignals.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>

namespace {

volatile std::sig_atomic_t g_signal = 0;

void OnSignal(int signal)
{
    // The first signal decides the exit code; later ones change nothing.
    if (g_signal == 0)
        g_signal = signal;
}

constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM,
                                  SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGPOLL, SIGPWR};

} // namespace

void QuitOnSignals(QCoreApplication& app)
{
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kEndingSignals)
        sigaction(signal, &action, nullptr);
    auto* poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, &app, [] {
        if (g_signal != 0)
            QCoreApplication::exit(kExitSignalled + g_signal);
    });
    poll->start(100);
}

void IgnoreBrokenPipe()
{
    std::signal(SIGPIPE, SIG_IGN);
}
