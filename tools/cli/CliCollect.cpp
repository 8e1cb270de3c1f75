#include "tools/cli/CliOptions.h"
#include "tools/cli/CliSignals.h"
#include "tools/cli/CliStation.h"

#include "station/Collector.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

// Messages kept while the database does not take them, before giving up.
constexpr std::size_t kMostPending = 1000000;

} // namespace

int RunCollect(const CliOptions& options)
{
    std::string error;
    const auto fail = [&](int code) {
        std::fprintf(stderr, "vexalog-cli collect: %s\n", error.c_str());
        return code;
    };
    std::vector<std::string> names = {"db", "pg", "mqtt-client-id"};
    names.insert(names.end(), kMqttOptionNames.begin(), kMqttOptionNames.end());
    if (!options.Check(names, 0, &error))
        return fail(kExitUsage);
    if (!options.Has("mqtt") || options.Has("db") == options.Has("pg")) {
        error = "give --mqtt HOST[:PORT] and either --db FILE or --pg CONNINFO";
        return fail(kExitUsage);
    }
    MqttSettings mqtt;
    std::string prefix;
    if (!ReadMqttOptions(options, mqtt, prefix, &error))
        return fail(kExitUsage);

    // An unreachable PostgreSQL server is waited for (said once, tried again
    // 1 s to 30 s apart); a SQLite file that cannot be used is refused at once.
    std::unique_ptr<ICollectorStore> store;
    if (const auto db = options.Value("db")) {
        auto sqlite = std::make_unique<CSqliteCollectorStore>();
        if (!sqlite->Open(*db, &error))
            return fail(kExitFailed);
        store = std::move(sqlite);
    } else {
        auto& app = *QCoreApplication::instance();
        QuitOnSignals(app);
        int delay = 1000;
        for (bool said = false;;) {
            auto pg = std::make_unique<CPostgresCollectorStore>();
            if (pg->Open(*options.Value("pg"), &error)) {
                store = std::move(pg);
                break;
            }
            if (!said)
                std::fprintf(stderr, "vexalog-cli collect: %s; trying again\n", error.c_str());
            said = true;
            QTimer::singleShot(delay, &app, [] { QCoreApplication::exit(0); });
            if (QCoreApplication::exec() != 0)
                return 0; // a signal ended the wait
            delay = std::min(delay * 2, 30000);
        }
    }
    CCollector collector(*store, prefix);
    // With an id of its own the collector's session outlives it: the broker
    // keeps what comes for it while it is away (restarted, or cut off) and
    // hands it over when it returns. Without, each run is a new client.
    if (const auto id = options.Value("mqtt-client-id")) {
        if (id->empty() || id->size() > 128 || id->find_first_of("#+/ ") != std::string::npos) {
            error = "--mqtt-client-id wants 1 to 128 characters without '#', '+', '/' or spaces, not '" + *id + "'";
            return fail(kExitUsage);
        }
        mqtt.clientId = *id;
        mqtt.persistentSession = true;
    } else {
        char host[128] = {};
        ::gethostname(host, sizeof host - 1);
        mqtt.clientId = "vexalog-collect-" + std::string(host) + "-" + std::to_string(::getpid());
    }
    CMqttClient client(mqtt);
    client.Subscribe(collector.Topics());
    if (!client.Start(&error))
        return fail(kExitFailed);
    std::printf("collecting %s/+/interval and %s/+/gap from %s:%d\n", prefix.c_str(), prefix.c_str(),
                mqtt.host.c_str(), mqtt.port);
    std::fflush(stdout);

    auto& app = *QCoreApplication::instance();
    QTimer drain;
    bool wasConnected = false;
    int disconnectedDrains = 0;
    bool saidUnreachable = false;
    std::int64_t malformedSaid = 0;
    std::vector<CMqttClient::Message> pending;
    bool saidStoreFailed = false;
    int retryDrains = 2; // drains of 200 ms between tries of a failing database
    int waitDrains = 0;
    QObject::connect(&drain, &QTimer::timeout, &app, [&] {
        CMqttClient::Events events = client.Take();
        if (events.connected && !wasConnected) {
            std::printf("connected\n");
            std::fflush(stdout);
            saidUnreachable = false;
        }
        disconnectedDrains = events.connected ? 0 : disconnectedDrains + 1;
        if (disconnectedDrains == 25 && !saidUnreachable) {
            std::fprintf(stderr, "vexalog-cli collect: the broker cannot be reached, trying again%s%s\n",
                         events.error.empty() ? "" : "; ", events.error.c_str());
            saidUnreachable = true;
        }
        wasConnected = events.connected;
        // Messages the database did not take wait for the next try: the
        // broker has been told they arrived.
        pending.insert(pending.end(), std::make_move_iterator(events.messages.begin()),
                       std::make_move_iterator(events.messages.end()));
        if (pending.empty() || --waitDrains > 0)
            return;
        if (!collector.Handle(pending, &error)) {
            if (!saidStoreFailed)
                std::fprintf(stderr, "vexalog-cli collect: %s; keeping the messages and trying again\n",
                             error.c_str());
            saidStoreFailed = true;
            retryDrains = std::min(retryDrains * 2, 150);
            waitDrains = retryDrains;
            if (pending.size() > kMostPending) {
                std::fprintf(stderr, "vexalog-cli collect: %zu messages wait for the database: giving up\n",
                             pending.size());
                QCoreApplication::exit(kExitFailed);
            }
            return;
        }
        if (saidStoreFailed)
            std::fprintf(stderr, "vexalog-cli collect: the database takes messages again\n");
        saidStoreFailed = false;
        retryDrains = 2;
        waitDrains = 0;
        pending.clear();
        if (collector.Malformed() != malformedSaid) {
            malformedSaid = collector.Malformed();
            std::fprintf(stderr, "vexalog-cli collect: %lld malformed messages skipped so far\n",
                         static_cast<long long>(malformedSaid));
        }
    });
    drain.start(200);
    if (!options.Has("pg"))
        QuitOnSignals(app);
    IgnoreBrokenPipe();
    const int code = QCoreApplication::exec();
    drain.stop();
    client.Stop({}, {}, 0);
    // What came in the last moments.
    CMqttClient::Events last = client.Take();
    pending.insert(pending.end(), last.messages.begin(), last.messages.end());
    if (!pending.empty() && !collector.Handle(pending, &error)) {
        std::fprintf(stderr, "vexalog-cli collect: %s\n", error.c_str());
        return kExitFailed;
    }
    std::printf("stored %lld intervals and %lld gaps, skipped %lld malformed messages\n",
                static_cast<long long>(collector.Intervals()), static_cast<long long>(collector.Gaps()),
                static_cast<long long>(collector.Malformed()));
    return code >= kExitSignalled ? 0 : code;
}
