#include "LoggerDownload.h"

#include <algorithm>
#include <new>

std::string LoggerDownloadResult::Message() const
{
    switch (outcome) {
    case DownloadOutcome::Empty:
        return kNoLoggerDataText;
    case DownloadOutcome::OutOfMemory:
        return "Memory OverFlow!";
    case DownloadOutcome::LinkLost:
        return "The meter stopped answering before the data logger's data had all arrived.";
    case DownloadOutcome::Finished:
        if (setsLeftOut > 0)
            return "The data logger holds more record sets than fit in the table: the first " +
                   std::to_string(kRecordSetTableSize - 1) + " were kept, " + std::to_string(setsLeftOut) +
                   " left out.";
        return {};
    case DownloadOutcome::Cancelled:
        break;
    }
    return {};
}

CLoggerDownload::CLoggerDownload(ILoggerDownloadHost& host, std::size_t maxBuffer)
    : m_host(host), m_maxBuffer(std::min<std::size_t>(maxBuffer, kMaxDataBytes)),
      m_sets(static_cast<std::size_t>(kRecordSetTableSize))
{
}

bool CLoggerDownload::Start()
{
    const bool replyOfThisRequest = m_phase == Phase::Header || m_phase == Phase::Data;
    if (replyOfThisRequest && m_dropReason != DownloadOutcome::Cancelled)
        return false;
    if (m_requested && !m_cancelRequested)
        return false;
    // A cancelled reply still coming in stays dropped; the new request waits
    // for the reply after it.
    m_cancelRequested = false;
    if (!m_requested)
        m_host.StartRequestTimer(kRequestPeriodMs);
    m_requested = true;
    return true;
}

void CLoggerDownload::Cancel()
{
    if (m_requested) {
        m_cancelRequested = true; // the request goes on; its reply is dropped
        return;
    }
    if (m_phase == Phase::Header) {
        m_dropReason = DownloadOutcome::Cancelled;
    } else if (m_phase == Phase::Data) {
        m_phase = Phase::Drop;
        m_dropReason = DownloadOutcome::Cancelled;
        m_buffer.clear();
        m_buffer.shrink_to_fit();
    }
}

void CLoggerDownload::Abort()
{
    // Nobody waits for the reply to a cancelled request.
    const bool someoneWaits = (m_requested && !m_cancelRequested) ||
                              (m_phase != Phase::Idle && m_dropReason != DownloadOutcome::Cancelled);
    if (m_requested)
        m_host.StopRequestTimer();
    m_requested = false;
    m_cancelRequested = false;
    m_phase = Phase::Idle;
    m_dropReason = DownloadOutcome::Finished;
    m_buffer.clear();
    if (someoneWaits) {
        LoggerDownloadResult result;
        result.outcome = DownloadOutcome::LinkLost;
        result.expected = m_expected;
        m_host.DownloadEnded(std::move(result));
    }
}

void CLoggerDownload::OnRequestTick()
{
    if (m_requested)
        m_host.SendRequest(std::vector<std::uint8_t>(kRequestLength, kRequestByte));
}

void CLoggerDownload::HeaderChunk(const std::uint8_t* chunk, std::size_t n)
{
    if (m_phase == Phase::Data || m_phase == Phase::Drop) {
        // 0xBB never occurs in the data, but a chunk starting with it belongs to the reply under way.
        DataChunk(chunk, n);
        return;
    }
    if (m_phase == Phase::Idle) {
        if (!m_requested) {
            // Nobody asked: not a reply to take, and no real-time data either.
            m_host.ResyncStream();
            return;
        }
        BeginReply();
    }
    std::size_t used = 0;
    while (used < n && m_headerCount < 3)
        m_header[static_cast<std::size_t>(m_headerCount++)] = chunk[used++];
    if (m_headerCount < 3)
        return; // the rest of the header comes with the next chunk
    HeaderComplete();
    // The data bytes may come in the header's chunk (a meter that writes its
    // whole reply at once, an adapter that gathers bytes): they are data.
    if (used < n && (m_phase == Phase::Data || m_phase == Phase::Drop))
        DataChunk(chunk + used, n - used);
}

void CLoggerDownload::BeginReply()
{
    m_host.StopRequestTimer();
    m_requested = false;
    m_dropReason = m_cancelRequested ? DownloadOutcome::Cancelled : DownloadOutcome::Finished;
    m_cancelRequested = false;
    m_phase = Phase::Header;
    m_headerCount = 0;
    m_expected = 0;
    m_received = 0;
}

void CLoggerDownload::HeaderComplete()
{
    m_expected = m_header[1] * 256 + m_header[2] - kLengthBias;
    if (m_expected <= 0) {
        m_expected = 0;
        m_phase = Phase::Idle;
        m_host.ResyncStream();
        LoggerDownloadResult result;
        result.outcome = m_dropReason == DownloadOutcome::Cancelled ? DownloadOutcome::Cancelled : DownloadOutcome::Empty;
        m_dropReason = DownloadOutcome::Finished;
        m_host.DownloadEnded(std::move(result));
        return;
    }
    m_received = 0;
    if (m_dropReason == DownloadOutcome::Finished && !Allocate())
        m_dropReason = DownloadOutcome::OutOfMemory;
    if (m_dropReason != DownloadOutcome::Finished) {
        m_phase = Phase::Drop;
    } else {
        m_phase = Phase::Data;
        m_setIndex = 1;
        m_setsLeftOut = 0;
        for (LoggerRecordSet& set : m_sets)
            set = LoggerRecordSet{};
    }
    m_host.DownloadProgress(0, m_expected);
}

bool CLoggerDownload::Allocate()
{
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    if (static_cast<std::size_t>(m_expected) > m_maxBuffer)
        return false;
    try {
        m_buffer.resize(static_cast<std::size_t>(m_expected));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void CLoggerDownload::DataChunk(const std::uint8_t* chunk, std::size_t n)
{
    for (std::size_t i = 0; i < n && m_received < m_expected; ++i) {
        const std::uint8_t b = chunk[i];
        if (m_phase == Phase::Drop) {
            if (b == kReplyEnd) {
                EndDropped();
                return;
            }
            ++m_received;
            continue;
        }
        if (b == kReplyEnd) {
            if (m_setsLeftOut == 0)
                m_sets[static_cast<std::size_t>(m_setIndex - 1)].end = m_received - 1;
            Finish();
            return;
        }
        m_buffer[static_cast<std::size_t>(m_received)] = b;
        if (b == kMarkerA || b == kMarkerC)
            NoteMarker();
        ++m_received;
    }
    if (m_received < m_expected) {
        m_host.DownloadProgress(m_received, m_expected);
        return;
    }
    if (m_phase == Phase::Drop) {
        EndDropped();
        return;
    }
    if (m_setsLeftOut == 0)
        m_sets[static_cast<std::size_t>(m_setIndex - 1)].end = m_expected - 1;
    Finish();
}

void CLoggerDownload::NoteMarker()
{
    if (m_setIndex == kRecordSetTableSize) {
        // The table is full: the last set kept ends before this marker.
        if (m_setsLeftOut++ == 0)
            m_sets[static_cast<std::size_t>(m_setIndex - 1)].end = m_received - 1;
        return;
    }
    m_sets[static_cast<std::size_t>(m_setIndex)].begin = m_received;
    m_sets[static_cast<std::size_t>(m_setIndex - 1)].end = m_received - 1;
    ++m_setIndex;
}

void CLoggerDownload::Finish()
{
    m_phase = Phase::Idle;
    m_host.ResyncStream();
    LoggerDownloadResult result;
    result.outcome = DownloadOutcome::Finished;
    result.expected = m_expected;
    m_buffer.resize(static_cast<std::size_t>(m_received));
    result.data = std::move(m_buffer);
    m_buffer = {};
    result.sets.assign(m_sets.begin(), m_sets.begin() + m_setIndex);
    result.setsLeftOut = m_setsLeftOut;
    m_host.DownloadProgress(m_received, m_expected);
    m_host.DownloadEnded(std::move(result));
}

void CLoggerDownload::EndDropped()
{
    m_phase = Phase::Idle;
    m_host.ResyncStream();
    const DownloadOutcome reason = m_dropReason;
    m_dropReason = DownloadOutcome::Finished;
    // A new request made while a cancelled reply was dropped waits for its own reply.
    if (reason == DownloadOutcome::Cancelled && m_requested)
        return;
    LoggerDownloadResult result;
    result.outcome = reason;
    result.expected = m_expected;
    m_host.DownloadEnded(std::move(result));
}
