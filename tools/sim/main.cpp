// lx47sim: a simulated LX47 sound level meter on a pseudo-terminal, for
// trying the program without the meter and for the tests.
#include "tools/sim/SimSession.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

const char kUsage[] =
    "usage: lx47sim [--link PATH] [--level MODEL] [--seed N] [--clock HH:MM:SS]\n"
    "               [--logger SPEC] [--dump once|paced] [--exit-with-parent]\n"
    "       lx47sim --help | --version\n"
    "  MODEL: const:85.3 | ramp:LOW:HIGH:PERIOD | walk | street (default)\n"
    "  SPEC:  none | cases | NxK[@R], joined by commas: N sets of K readings, rate R s\n"
    "         (default 2x10); cases: sets over the year's end, 29 February, rate byte 0x0F\n"
    "  --dump: the logger's reply in one write, or paced at 960 bytes/s (default)\n"
    "stdin commands: silent [N], resume, vanish [N], appear, level MODEL, key 0xNN,\n"
    "  hold, logger SPEC, dump once|paced, burst HEX..., answer HEX..., state, quit\n"
    "  (answer: the next logger request gets these bytes instead of the dump)\n";

// The meter clock at start as a time_t whose UTC fields are the local date
// and time: the meter knows nothing of time zones or daylight saving.
bool ClockStart(const char* text, std::time_t& start)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    if (text != nullptr) {
        int h = -1, m = -1, s = -1;
        char extra = 0;
        if (std::sscanf(text, "%d:%d:%d%c", &h, &m, &s, &extra) != 3 || h < 0 || h > 23 || m < 0 || m > 59
            || s < 0 || s > 59)
            return false;
        local.tm_hour = h;
        local.tm_min = m;
        local.tm_sec = s;
    }
    local.tm_isdst = 0;
    start = timegm(&local);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    SimOptions options;
    const char* clockText = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--link" && hasValue) {
            options.linkPath = argv[++i];
        } else if (option == "--level" && hasValue) {
            options.level = argv[++i];
        } else if (option == "--seed" && hasValue) {
            options.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (option == "--clock" && hasValue) {
            clockText = argv[++i];
        } else if (option == "--logger" && hasValue) {
            options.logger = argv[++i];
        } else if (option == "--dump" && hasValue && (std::strcmp(argv[i + 1], "once") == 0
                                                     || std::strcmp(argv[i + 1], "paced") == 0)) {
            options.dumpAtOnce = std::strcmp(argv[++i], "once") == 0;
        } else if (option == "--exit-with-parent") {
            options.exitWithParent = true;
        } else if (option == "--version") {
            std::fputs("lx47sim " VEXALOG_VERSION "\n", stdout);
            return 0;
        } else {
            std::fputs(option == "--help" ? "" : ("lx47sim: bad option " + option + "\n").c_str(), stderr);
            std::fputs(kUsage, option == "--help" ? stdout : stderr);
            return option == "--help" ? 0 : 2;
        }
    }

    std::string error;
    auto model = MakeLevelModel(options.level, options.seed, error);
    std::vector<SimWire::LoggerSet> logger;
    if (!model || !SimWire::ParseLoggerSpec(options.logger, logger, error)) {
        std::fprintf(stderr, "lx47sim: %s\n", error.c_str());
        return 2;
    }
    if (!ClockStart(clockText, options.clockStart)) {
        std::fprintf(stderr, "lx47sim: --clock wants HH:MM:SS\n");
        return 2;
    }

    struct sigaction action{};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN); // a closed stdout must not kill the meter

    CSimSession session(options, std::move(model), std::move(logger), g_stop);
    return session.Run();
}
