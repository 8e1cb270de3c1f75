#include "meter/MeterLink.h"

#include <QMetaObject>

CMeterLink::CMeterLink(const std::string& iniPath, IDialogSeam& dialogs, const IClock& clock, Timing timing,
                       QObject* parent)
    : QObject(parent),
      m_iniPath(iniPath),
      m_map(iniPath),
      m_probe(m_map),
      m_comm(m_map),
      m_decoder(m_state, m_listeners, clock),
      m_download(*this),
      m_link(m_comm, m_probe, dialogs, clock, m_decoder, m_listeners, *this, timing.link),
      // The watcher's finding is handed to the UI thread; a call queued for a
      // link that is gone by then is dropped by Qt.
      m_watchers(
          m_probe,
          [this] {
              QMetaObject::invokeMethod(
                  this, [this] { m_link.OnPortAvailable(); }, Qt::QueuedConnection);
          },
          timing.watcherPeriod)
{
    connect(&m_comm, &CMscomm::OnComm, this, &CMeterLink::OnComm);
    connect(&m_supervision, &QTimer::timeout, this, [this] { m_link.OnSupervisionTick(); });
    connect(&m_request, &QTimer::timeout, this, [this] { m_download.OnRequestTick(); });
    m_decoder.SetDownloadRoute(&m_download);
    m_listeners.Add(m_download);
}

CMeterLink::~CMeterLink()
{
    m_watchers.StopAll();
}

void CMeterLink::OnComm()
{
    if (m_comm.CommEvent() != ISerialControl::kEventReceive)
        return;
    const std::vector<std::uint8_t> bytes = m_comm.Input();
    m_decoder.Receive(bytes.data(), bytes.size());
}

void CMeterLink::SendCommandByte(std::uint8_t byte)
{
    if (!m_decoder.Connected())
        return;
    m_comm.Output({byte});
}

void CMeterLink::SendBytes(const std::vector<std::uint8_t>& bytes)
{
    if (m_comm.PortOpen())
        m_comm.Output(bytes);
}

void CMeterLink::DownloadProgress(int received, int expected)
{
    QMetaObject::invokeMethod(
        this, [this, received, expected] { emit DownloadProgressed(received, expected); }, Qt::QueuedConnection);
}

void CMeterLink::DownloadEnded(LoggerDownloadResult result)
{
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result)] { emit DownloadFinished(result); }, Qt::QueuedConnection);
}
