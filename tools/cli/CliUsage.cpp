#include "tools/cli/CliUsage.h"

#include <cstring>

#ifndef VEXALOG_VERSION
#error "VEXALOG_VERSION comes from the build (project version)"
#endif

namespace {

struct CommandHelp {
    const char* name;
    const char* text;
};

// Each command's synopsis and description, in the order of the usage.
constexpr CommandHelp kCommands[] = {
    {"watch",
     "  vexalog-cli watch  (--port N | --device PATH) [--ini FILE] [--seconds S]\n"
     "                     [--format text|csv|json]\n"
     "      print one line per change of the meter's display, each with the PC's date and\n"
     "      time (ISO 8601), until interrupted or for S seconds; text (default), csv with a\n"
     "      header line, or one JSON object per line; \"connected\" and \"link lost\" go to\n"
     "      standard error with their time; a meter that goes away is picked up again\n"
     "      when it comes back\n"},
    {"record",
     "  vexalog-cli record (--port N | --device PATH) --out FILE [--interval S] [--count N]\n"
     "                     [--ini FILE] [--timeout S]\n"
     "      record N readings (0..40000, default 100) every S seconds (0.1..3600, default 0.5)\n"
     "      into a data file, through FILE.partial as they are taken (a killed recording\n"
     "      leaves them there), then print the average, maximum and minimum of the readings\n"
     "      saved; ended by a signal (exit 128 + its number), timed out (exit 4) or with the\n"
     "      link lost (exit 3) it saves what was recorded; a file that cannot be saved, or a\n"
     "      FILE.partial left by an earlier run, is refused (exit 2) before recording, and\n"
     "      readings the file cannot take go to a file in the temporary folder whose name\n"
     "      is printed\n"},
    {"download",
     "  vexalog-cli download (--port N | --device PATH) --out DIR [--ini FILE] [--timeout S]\n"
     "      fetch the meter's data logger: one line and one data file DIR/set-001.txt...\n"
     "      per record set; exit 1 when readings were damaged or the reply came incomplete\n"
     "      (the intact sets are written), exit 4 when the meter does not answer within\n"
     "      S seconds (10)\n"},
    {"info",
     "  vexalog-cli info FILE [--json]\n"
     "      print the record sets and statistics of a data file, and the noise indicators of\n"
     "      each set: LAeq (LCeq), Lmax, Lmin, L5..L95, SEL, Lday/Levening/Lnight with\n"
     "      their coverage, Lden, the level of each clock hour; --json prints the\n"
     "      indicators alone, as one JSON object\n"},
    {"export",
     "  vexalog-cli export FILE OUT\n"
     "      write the readings of a data file to OUT as Export Data does: a workbook\n"
     "      (sheet \"Sheet\": Date, Time, Value, Unit) when OUT ends in .xls, else a\n"
     "      comma-separated file\n"},
    {"print",
     "  vexalog-cli print FILE --pdf OUT.pdf [--set N]\n"
     "      print record set N (default 1) of a data file as the DataLogger window's\n"
     "      Print Data prints it once the set is opened: one page, to the PDF file\n"},
    {"report",
     "  vexalog-cli report FILE --pdf OUT.pdf [--set N] [--title T] [--location L]\n"
     "      write the measurement report of record set N (default 1) to the PDF file:\n"
     "      the meter's settings, the period, the level-time graph, the noise indicators,\n"
     "      the hourly levels and the level distribution, with the program's version and\n"
     "      the data file's name and SHA-256 in the footer of every page\n"},
    {"log",
     "  vexalog-cli log (--port N | --device PATH) [--db FILE] [--station NAME] [--interval S]\n"
     "                  [--period S] [--mqtt HOST[:PORT] [--topic PREFIX] [--ha-discovery]]\n"
     "      log a reading every S seconds (default 1) into a SQLite database (default\n"
     "      vexalog-STATION.sqlite) with the indicators of every period (default 60 s) until\n"
     "      SIGINT or SIGTERM; a meter that goes away is waited for and the gap recorded;\n"
     "      with --mqtt it publishes to the broker (credentials: VEXALOG_MQTT_USERNAME,\n"
     "      VEXALOG_MQTT_PASSWORD or --mqtt-password-file FILE; TLS: --mqtt-cafile FILE;\n"
     "      MQTT 3.1.1, or MQTT 5 with --mqtt-version 5)\n"},
    {"collect",
     "  vexalog-cli collect --mqtt HOST[:PORT] (--db FILE | --pg CONNINFO) [--topic PREFIX]\n"
     "                      [--mqtt-client-id ID]\n"
     "      store every station's intervals and gaps in one SQLite or PostgreSQL database,\n"
     "      one row per station and start; malformed messages are counted and skipped;\n"
     "      with --mqtt-client-id the broker keeps what comes while the collector is away\n"},
    {"query",
     "  vexalog-cli query --db FILE [--station NAME] --from ISO --to ISO\n"
     "                    (--txt OUT.txt | --csv OUT.csv | --json)\n"
     "      the readings from..to (UTC) as a data file, CSV or JSON lines on standard output\n"},
};

constexpr const char* kPortOptions =
    "  --port N      port number 1..100 as in the program's Com Port menu, mapped to a device\n"
    "                through TempPort.ini in the working folder (or --ini FILE)\n"
    "  --device PATH the serial device itself, e.g. /dev/ttyUSB0\n";

constexpr const char* kExitCodes =
    "exit codes: 0 done, 1 failed (port, file), 2 wrong use, 3 link lost, 4 timed out,\n"
    "  128+N ended by signal N, e.g. 129 SIGHUP, 130 SIGINT, 143 SIGTERM (record saves what it has)\n";

bool TakesPort(const char* name)
{
    return std::strcmp(name, "watch") == 0 || std::strcmp(name, "record") == 0 ||
           std::strcmp(name, "download") == 0 || std::strcmp(name, "log") == 0;
}

} // namespace

void PrintUsage(std::FILE* to)
{
    std::fputs("usage: vexalog-cli COMMAND [OPTIONS]    (vexalog-cli COMMAND --help, --version)\n", to);
    for (const CommandHelp& command : kCommands)
        std::fputs(command.text, to);
    std::fputs(kPortOptions, to);
    std::fputs(kExitCodes, to);
}

bool PrintCommandHelp(const std::string& command, std::FILE* to)
{
    for (const CommandHelp& c : kCommands) {
        if (command != c.name)
            continue;
        std::fputs("usage:\n", to);
        std::fputs(c.text, to);
        if (TakesPort(c.name))
            std::fputs(kPortOptions, to);
        std::fputs(kExitCodes, to);
        return true;
    }
    return false;
}

void PrintVersion(std::FILE* to)
{
    std::fputs("vexalog-cli " VEXALOG_VERSION "\n", to);
}
