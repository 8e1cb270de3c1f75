#pragma once

#include "meter/CMscomm.h"
#include "meter/LoggerDownload.h"
#include "meter/MeterLinkListener.h"
#include "meter/MeterState.h"
#include "meter/PortMap.h"
#include "meter/PortProbe.h"
#include "meter/PortWatcher.h"
#include "meter/ReadingDecoder.h"
#include "meter/SerialLink.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class IClock;
class IDialogSeam;

// The whole meter link put together: port map and probe, the serial control,
// its two routes for received bytes (the decoder with its MeterState, and the
// data-logger download with its request timer 8), the link with its
// supervision timer 9, and the port watchers whose findings come back to the
// UI thread as queued calls. Whoever needs the link's events subscribes to
// them (AddListener): the view for its panel, the recorder for the readings.
class CMeterLink final : public QObject, private ILinkSupervisor, private ILoggerDownloadHost {
    Q_OBJECT

public:
    struct Timing {
        LinkTiming link;
        std::chrono::milliseconds watcherPeriod = CPortWatchers::kProbePeriod;
    };

    CMeterLink(const std::string& iniPath, IDialogSeam& dialogs, const IClock& clock, Timing timing,
               QObject* parent = nullptr);
    CMeterLink(const std::string& iniPath, IDialogSeam& dialogs, const IClock& clock, QObject* parent = nullptr)
        : CMeterLink(iniPath, dialogs, clock, Timing{}, parent)
    {
    }
    ~CMeterLink() override;

    // Listeners are told in the order they subscribed, after the download
    // (which ends on a lost link before anyone else hears of it). A listener
    // leaves before it goes away, unless the link goes first.
    void AddListener(IMeterLinkListener& listener) { m_listeners.Add(listener); }
    void RemoveListener(IMeterLinkListener& listener) { m_listeners.Remove(listener); }

    // The key bytes of the panel go out only while the meter is connected.
    void SendCommandByte(std::uint8_t byte);
    // Any bytes (the data-logger request); sent whenever the port is open.
    void SendBytes(const std::vector<std::uint8_t>& bytes);

    // The data-logger download: DataLogger and the wait dialog's Cancel. Its
    // progress and end come as the signals below, queued, so whoever shows a
    // message does it outside the receive path.
    bool StartDownload() { return m_download.Start(); }
    void CancelDownload() { m_download.Cancel(); }
    const CLoggerDownload& Download() const { return m_download; }

    const MeterState& State() const { return m_state; }
    bool Connected() const { return m_decoder.Connected(); }
    CSerialLink& Link() { return m_link; }
    const CSerialLink& Link() const { return m_link; }
    CReadingDecoder& Decoder() { return m_decoder; }
    CMscomm& Comm() { return m_comm; }
    const CPortMap& PortMap() const { return m_map; }
    const std::string& IniPath() const { return m_iniPath; }

signals:
    void DownloadProgressed(int received, int expected);
    void DownloadFinished(const LoggerDownloadResult& result); // every outcome

private:
    void OnComm();

    // ILinkSupervisor
    void StartSupervisionTimer(int ms) override { m_supervision.start(ms); }
    void StopSupervisionTimer() override { m_supervision.stop(); }
    bool StartWatcher(int port) override { return m_watchers.Start(port); }

    // ILoggerDownloadHost
    void StartRequestTimer(int ms) override { m_request.start(ms); }
    void StopRequestTimer() override { m_request.stop(); }
    void SendRequest(const std::vector<std::uint8_t>& bytes) override { SendBytes(bytes); }
    void ResyncStream() override { m_decoder.ResetSync(); }
    void DownloadProgress(int received, int expected) override;
    void DownloadEnded(LoggerDownloadResult result) override;

    std::string m_iniPath;
    CMeterLinkListeners m_listeners;
    MeterState m_state;
    CPortMap m_map;
    CPortProbe m_probe;
    CMscomm m_comm;
    CReadingDecoder m_decoder;
    CLoggerDownload m_download;
    QTimer m_request; // timer 8
    CSerialLink m_link;
    QTimer m_supervision; // timer 9
    // Last, so the watcher threads are stopped and joined before anything
    // they could reach goes away.
    CPortWatchers m_watchers;
};
