#include "CVexalogApp.h"
#include "CVexalogView.h"
#include "StartupOptions.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
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
    return qapp.exec();
}
