#include "CVexalogApp.h"
#include "MainForm.h"
#include "StartupOptions.h"

#include <QApplication>

#include <cstdio>

#if __has_include("CVexalogView.h")
#include "CVexalogView.h"
#define VEXALOG_HAVE_VIEW 1
#endif

namespace {

#ifdef VEXALOG_HAVE_VIEW
// Hands the view the port of the command line, when the view takes one.
template <class View>
void TellStartupPort(View* view, int port)
{
    if constexpr (requires { view->SetStartupPort(port); })
        view->SetStartupPort(port);
    else
        std::fprintf(stderr, "vexalog: --port is not supported by this build\n");
}
#endif

// The main view, told the port of the command line before its first layout
// opens the remembered one.
CVexalogApp::ViewParts MakeView(IDialogSeam& dialogs, QWidget* parent, int startupPort)
{
#ifdef VEXALOG_HAVE_VIEW
    auto* view = new CVexalogView(dialogs, parent);
    if (startupPort > 0)
        TellStartupPort(view, startupPort);
    return {view, view};
#else
    // Until the main view is part of the build the frame shows the bare form.
    (void)dialogs;
    (void)startupPort;
    return {new CMainForm(parent), nullptr};
#endif
}

} // namespace

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
    if (!app.InitInstance([port](IDialogSeam& dialogs, QWidget* parent) { return MakeView(dialogs, parent, port); }))
        return 1;
    return qapp.exec();
}
