// vexalog-cli: the headless companion of Vexalog, on the program's own core.
#include "CliOptions.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void PrintUsage()
{
    std::fputs("usage:\n"
               "  vexalog-cli watch  (--port N | --device PATH) [--ini FILE] [--seconds S]\n"
               "      print one line per change of the meter's display until interrupted;\n"
               "      a meter that goes away is picked up again when it comes back\n"
               "  vexalog-cli record (--port N | --device PATH) --out FILE [--interval S] [--count N]\n"
               "                     [--ini FILE] [--timeout S]\n"
               "      record N readings (0..40000, default 100) every S seconds (0.1..3600, default 0.5)\n"
               "      into a data file, through FILE.partial as they are taken (a killed recording\n"
               "      leaves them there); ended by a signal (exit 128 + its number), timed out (exit 4)\n"
               "      or with the link lost (exit 3) it saves what was recorded; a file that cannot be\n"
               "      saved, or a FILE.partial left by an earlier run, is refused (exit 2) before\n"
               "      recording, and readings the file cannot take go to a file in the temporary\n"
               "      folder whose name is printed\n"
               "  vexalog-cli download (--port N | --device PATH) --out DIR [--ini FILE] [--timeout S]\n"
               "      fetch the meter's data logger: one line and one data file DIR/set-001.txt...\n"
               "      per record set; exit 4 when the meter does not answer within S seconds (10)\n"
               "  vexalog-cli info FILE [--json]\n"
               "      print the record sets and statistics of a data file, and the noise indicators of\n"
               "      each set: LAeq (LCeq), Lmax, Lmin, L5..L95, SEL, Lday/Levening/Lnight with\n"
               "      their coverage, Lden, the level of each clock hour; --json prints the\n"
               "      indicators alone, as one JSON object\n"
               "  vexalog-cli export FILE OUT\n"
               "      write the readings of a data file to OUT as Export Data does: a workbook\n"
               "      (sheet \"Sheet\": Date, Time, Value, Unit) when OUT ends in .xls, else a text file\n"
               "  vexalog-cli print FILE --pdf OUT.pdf [--set N]\n"
               "      print record set N (default 1) of a data file as the DataLogger window's\n"
               "      Print Data prints it once the set is opened: one page, to the PDF file\n"
               "  vexalog-cli log (--port N | --device PATH) [--db FILE] [--station NAME] [--interval S]\n"
               "                  [--period S] [--mqtt HOST[:PORT] [--topic PREFIX] [--ha-discovery]]\n"
               "      log a reading every S seconds (default 1) into a SQLite database (default\n"
               "      vexalog-STATION.sqlite) with the indicators of every period (default 60 s) until\n"
               "      SIGINT or SIGTERM; a meter that goes away is waited for and the gap recorded;\n"
               "      with --mqtt it publishes to the broker (credentials: VEXALOG_MQTT_USERNAME,\n"
               "      VEXALOG_MQTT_PASSWORD or --mqtt-password-file FILE; TLS: --mqtt-cafile FILE)\n"
               "  vexalog-cli collect --mqtt HOST[:PORT] (--db FILE | --pg CONNINFO) [--topic PREFIX]\n"
               "      store every station's intervals and gaps in one SQLite or PostgreSQL database,\n"
               "      one row per station and start; malformed messages are counted and skipped\n"
               "  vexalog-cli query --db FILE [--station NAME] --from ISO --to ISO\n"
               "                    (--txt OUT.txt | --csv OUT.csv | --json)\n"
               "      the readings from..to (UTC) as a data file, CSV or JSON lines on standard output\n",
               stderr);
}

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
    if (argc > 1 && std::strcmp(argv[1], "print") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(&PassQtErrorsOnly);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    std::string error;
    const auto options = CliOptions::Parse(argc, argv, &error);
    if (!options) {
        std::fprintf(stderr, "vexalog-cli: %s\n", error.c_str());
        PrintUsage();
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
    if (options->command != "help" && options->command != "--help")
        std::fprintf(stderr, "vexalog-cli: unknown command '%s'\n", options->command.c_str());
    PrintUsage();
    return options->command == "help" || options->command == "--help" ? 0 : 2;
}
