#include "app/CVexalogApp.h"
#include "app/StartupOptions.h"
#include "monitor/widgets/CVexalogView.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// --help and --version are answered without a display: a terminal with no
// window system (a package check, a remote shell) still gets its answer.
bool AsksOnlyForText(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"--help", "-h", "--version", "-v"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

// Without a window system Qt gives up with an abort and a core dump: say what
// is missing instead. A platform named by QT_QPA_PLATFORM (offscreen, vnc)
// needs no display.
bool HasWindowSystem()
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (AsksOnlyForText(argc, argv)) {
        QCoreApplication text(argc, argv);
        CVexalogApp::SetApplicationNames();
        const StartupOptions options = ParseStartupOptions(QCoreApplication::arguments());
        std::fprintf(options.error.isEmpty() ? stdout : stderr, "%s",
                     qPrintable(options.error.isEmpty() ? options.message : options.error + "\n"));
        return options.error.isEmpty() ? 0 : 1;
    }
    if (!HasWindowSystem()) {
        std::fprintf(stderr, "vexalog: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                             "vexalog-cli records, downloads and exports without one.\n");
        return 1;
    }
    QApplication qapp(argc, argv);
    CVexalogApp::SetApplicationNames();

    const StartupOptions options = ParseStartupOptions(QCoreApplication::arguments());
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(options.error));
        return 1;
    }
    if (options.exitNow) {
        std::fprintf(stdout, "%s", qPrintable(options.message));
        return 0;
    }

    CVexalogApp app;
    const int port = options.port;
    const auto makeView = [port](IDialogSeam& dialogs, QWidget* parent) {
        // The port of the command line, if any, is opened at the first layout
        // in place of the remembered one.
        auto* view = new CVexalogView(dialogs, parent);
        view->SetStartupPort(port);
        return CVexalogApp::ViewParts{view, view};
    };
    if (!app.InitInstance(makeView))
        return 1;
    return QApplication::exec();
}
