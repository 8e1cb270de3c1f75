// vexalog-cli: the headless companion of Vexalog, on the program's own core.
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliUsage.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void PassQtErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "vexalog-cli: %s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv)
{
    // Printing draws text, which needs the GUI side of Qt; with no display
    // to show anything on, it runs off screen. What Qt notes about the
    // platform it runs on (a missing runtime folder, say) is not for the
    // user of a command: only its errors are passed on.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && (std::strcmp(argv[1], "print") == 0 || std::strcmp(argv[1], "report") == 0)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(&PassQtErrorsOnly);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // Asked for help or the version: the answer goes to standard output.
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--version") {
        PrintVersion(stdout);
        return 0;
    }
    if (first == "--help" || first == "-h" || (first == "help" && argc == 2)) {
        PrintUsage(stdout);
        return 0;
    }
    if (first == "help") {
        if (argc == 3 && PrintCommandHelp(argv[2], stdout))
            return 0;
        std::fprintf(stderr, "vexalog-cli: %s\n",
                     argc == 3 ? ("no command '" + std::string(argv[2]) + "'").c_str() : "help takes one command");
        PrintUsage(stderr);
        return 2;
    }
    std::string error;
    const auto options = CliOptions::Parse(argc, argv, &error);
    if (!options) {
        std::fprintf(stderr, "vexalog-cli: %s\n", error.c_str());
        PrintUsage(stderr);
        return 2;
    }
    if (options->Has("help")) {
        if (PrintCommandHelp(options->command, stdout))
            return 0;
        std::fprintf(stderr, "vexalog-cli: unknown command '%s'\n", options->command.c_str());
        PrintUsage(stderr);
        return 2;
    }
    if (options->command == "watch")
        return RunWatch(*options);
    if (options->command == "record")
        return RunRecord(*options);
    if (options->command == "info")
        return RunInfo(*options);
    if (options->command == "export")
        return RunExport(*options);
    if (options->command == "download")
        return RunDownload(*options);
    if (options->command == "print")
        return RunPrint(*options);
    if (options->command == "log")
        return RunLog(*options);
    if (options->command == "collect")
        return RunCollect(*options);
    if (options->command == "query")
        return RunQuery(*options);
    if (options->command == "report")
        return RunReport(*options);
    std::fprintf(stderr, "vexalog-cli: unknown command '%s'\n", options->command.c_str());
    PrintUsage(stderr);
    return 2;
}
