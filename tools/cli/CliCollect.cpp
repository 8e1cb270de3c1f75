#include "CliOptions.h"
#include "CliSignals.h"
#include "CliStation.h"

#include "station/Collector.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <string>

#include <unistd.h>

int RunCollect(const CliOptions& options)
{
    std::string error;
    const auto fail = [&](int code) {
        std::fprintf(stderr, "vexalog-cli collect: %s\n", error.c_str());
        return code;
    };
    std::vector<std::string> names = {"db", "pg"};
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

    std::unique_ptr<ICollectorStore> store;
    if (const auto db = options.Value("db")) {
        auto sqlite = std::make_unique<CSqliteCollectorStore>();
        if (!sqlite->Open(*db, &error))
            return fail(kExitFailed);
        store = std::move(sqlite);
    } else {
        auto pg = std::make_unique<CPostgresCollectorStore>();
        if (!pg->Open(*options.Value("pg"), &error))
            return fail(kExitFailed);
        store = std::move(pg);
    }
    CCollector collector(*store, prefix);
    char host[128] = {};
    ::gethostname(host, sizeof host - 1);
    mqtt.clientId = "vexalog-collect-" + std::string(host) + "-" + std::to_string(::getpid());
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
    QObject::connect(&drain, &QTimer::timeout, &app, [&] {
        CMqttClient::Events events = client.Take();
        if (events.connected && !wasConnected) {
            std::printf("connected\n");
            std::fflush(stdout);
            saidUnreachable = false;
        }
        disconnectedDrains = events.connected ? 0 : disconnectedDrains + 1;
        if (disconnectedDrains == 25 && !saidUnreachable) {
            std::fprintf(stderr, "vexalog-cli collect: the broker cannot be reached, trying again\n");
            saidUnreachable = true;
        }
        wasConnected = events.connected;
        if (events.messages.empty())
            return;
        if (!collector.Handle(events.messages, &error)) {
            std::fprintf(stderr, "vexalog-cli collect: %s\n", error.c_str());
            QCoreApplication::exit(kExitFailed);
            return;
        }
        if (collector.Malformed() != malformedSaid) {
            malformedSaid = collector.Malformed();
            std::fprintf(stderr, "vexalog-cli collect: %lld malformed messages skipped so far\n",
                         static_cast<long long>(malformedSaid));
        }
    });
    drain.start(200);
    QuitOnSignals(app);
    IgnoreBrokenPipe();
    const int code = app.exec();
    drain.stop();
    client.Stop({}, {}, 0);
    // What came in the last moments.
    const CMqttClient::Events last = client.Take();
    if (!last.messages.empty() && !collector.Handle(last.messages, &error)) {
        std::fprintf(stderr, "vexalog-cli collect: %s\n", error.c_str());
        return kExitFailed;
    }
    std::printf("stored %lld intervals and %lld gaps, skipped %lld malformed messages\n",
                static_cast<long long>(collector.Intervals()), static_cast<long long>(collector.Gaps()),
                static_cast<long long>(collector.Malformed()));
    return code >= kExitSignalled ? 0 : code;
}
