#include "app/StartupOptions.h"

#include <QCommandLineParser>

StartupOptions ParseStartupOptions(const QStringList& arguments)
{
    StartupOptions options;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("LX47 sound level meter companion"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Open COM port <n> (1..100) instead of the remembered one."),
                                  QStringLiteral("n"));
    parser.addOption(port);
    parser.addPositionalArgument(QStringLiteral("document"), QStringLiteral("Document to open (optional)."),
                                 QStringLiteral("[document]"));

    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet(help)) {
        options.exitNow = true;
        options.message = parser.helpText();
        return options;
    }
    if (parser.isSet(version)) {
        options.exitNow = true;
        options.message = QStringLiteral("LX47 Version 1.0\n");
        return options;
    }
    if (parser.isSet(port)) {
        bool ok = false;
        const int n = parser.value(port).toInt(&ok);
        if (!ok || n < kLowestPort || n > kHighestPort) {
            options.error = QStringLiteral("--port needs a port number between %1 and %2, not \"%3\".")
                                .arg(kLowestPort)
                                .arg(kHighestPort)
                                .arg(parser.value(port));
            return options;
        }
        options.port = n;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        options.error = QStringLiteral("Only one document may be named on the command line.");
        return options;
    }
    if (!positional.isEmpty())
        options.document = positional.first();
    return options;
}
