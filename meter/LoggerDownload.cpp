#include "meter/LoggerDownload.h"

#include <algorithm>
#include <new>

bool LoggerDownloadResult::Damaged() const
{
    if (outcome != DownloadOutcome::Finished)
        return false;
    if (Incomplete() || !skipped.empty())
        return true;
    for (const int n : damagedReadings) {
        if (n > 0)
            return true;
    }
    return false;
}

std::string LoggerDownloadResult::Message() const
{
    switch (outcome) {
    case DownloadOutcome::Empty:
        return kNoLoggerDataText;
    case DownloadOutcome::OutOfMemory:
        return "Memory OverFlow!";
    case DownloadOutcome::LinkLost:
        return "The meter stopped answering before the data logger's data had all arrived.";
    case DownloadOutcome::Cancelled:
        return {};
    case DownloadOutcome::Finished:
        break;
    }
    std::string text;
    const auto line = [&text](const std::string& sentence) { text += (text.empty() ? "" : "\n") + sentence; };
    if (streamInReply)
        line("The download is incomplete: the meter's reply was cut short after " + std::to_string(received) +
             " of the " + std::to_string(expected) + " bytes it announced, and its real-time data followed.");
    else if (received < expected)
        line("The download is incomplete: the meter announced " + std::to_string(expected) +
             " bytes but its reply ended after " + std::to_string(received) + ".");
    for (std::size_t k = 1; k < damagedReadings.size(); ++k) {
        const int n = damagedReadings[k];
        if (n > 0)
            line(std::to_string(n) + (n == 1 ? " reading in set " : " readings in set ") + std::to_string(k) +
                 (n == 1 ? " was" : " were") + " damaged and left out.");
    }
    for (const std::string& sentence : skipped)
        line(sentence);
    if (setsLeftOut > 0)
        line("The data logger holds more record sets than fit in the table: the first " +
             std::to_string(kRecordSetTableSize - 1) + " were kept, " + std::to_string(setsLeftOut) + " left out.");
    return text;
}

CLoggerDownload::CLoggerDownload(ILoggerDownloadHost& host, std::size_t maxBuffer)
    : m_host(host), m_maxBuffer(std::min<std::size_t>(maxBuffer, kMaxDataBytes))
{
}

bool CLoggerDownload::CanStart() const
{
    const bool replyOfThisRequest = m_phase == Phase::Header || m_phase == Phase::Data;
    return !m_requested && !(replyOfThisRequest && m_dropReason != DownloadOutcome::Cancelled);
}

bool CLoggerDownload::Start()
{
    if (!CanStart())
        return false;
    // A cancelled reply still coming in stays dropped; the new request waits
    // for the reply after it.
    m_host.StartRequestTimer(kRequestPeriodMs);
    m_requested = true;
    return true;
}

void CLoggerDownload::Cancel()
{
    if (m_requested) {
        // Nothing has come yet: stop asking. A reply already on its way
        // arrives unasked and is dropped.
        m_host.StopRequestTimer();
        m_requested = false;
        if (m_phase == Phase::Idle) { // else the cancelled reply under way tells its end
            LoggerDownloadResult result;
            result.outcome = DownloadOutcome::Cancelled;
            m_host.DownloadEnded(std::move(result));
        }
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
    const bool someoneWaits = m_requested || (m_phase != Phase::Idle && m_dropReason != DownloadOutcome::Cancelled);
    if (m_requested)
        m_host.StopRequestTimer();
    m_requested = false;
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
    m_dropReason = DownloadOutcome::Finished;
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
        if (m_dropReason == DownloadOutcome::Cancelled && m_requested) {
            m_dropReason = DownloadOutcome::Finished;
            return; // a new request waits for its own reply
        }
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
    const int before = m_received;
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
            Finish(true);
            return;
        }
        m_buffer[static_cast<std::size_t>(m_received)] = b;
        ++m_received;
    }
    if (m_received < m_expected && m_phase == Phase::Data && StreamArrived(before)) {
        // The meter went back to its real-time stream: the rest will never come.
        Finish(true);
        return;
    }
    if (m_received < m_expected) {
        m_host.DownloadProgress(m_received, m_expected);
        return;
    }
    if (m_phase == Phase::Drop) {
        EndDropped();
        return;
    }
    Finish(false);
}

bool CLoggerDownload::StreamArrived(int before) const
{
    // A block begins at most 21 bytes before the new ones and shows itself by the next one.
    const std::size_t from = static_cast<std::size_t>(std::max(before - 21, 0));
    const std::span<const std::uint8_t> recent(m_buffer.data() + from, static_cast<std::size_t>(m_received) - from);
    return FindStreamInReply(recent, true) < recent.size();
}

void CLoggerDownload::Finish(bool endByteSeen)
{
    m_phase = Phase::Idle;
    m_host.ResyncStream();
    m_buffer.resize(static_cast<std::size_t>(m_received));
    LoggerReplyCheck check = CheckLoggerReply(m_buffer, endByteSeen);
    m_buffer.resize(check.dataEnd); // the stream's blocks are no data
    LoggerDownloadResult result;
    result.outcome = DownloadOutcome::Finished;
    result.expected = m_expected;
    result.received = static_cast<int>(check.dataEnd);
    result.streamInReply = check.streamFound;
    result.data = std::move(m_buffer);
    m_buffer = {};
    result.sets = std::move(check.sets);
    result.damagedReadings = std::move(check.damagedReadings);
    result.skipped = std::move(check.skipped);
    result.setsLeftOut = check.setsLeftOut;
    m_host.DownloadProgress(m_received, m_expected);
    m_host.DownloadEnded(std::move(result));
}

void CLoggerDownload::EndDropped()
{
    m_phase = Phase::Idle;
    m_host.ResyncStream();
    const DownloadOutcome reason = m_dropReason;
    m_dropReason = DownloadOutcome::Finished;
    // A cancelled reply was told of at Cancel when the request stopped; a new
    // request made while it was dropped waits for its own reply.
    if (reason == DownloadOutcome::Cancelled && m_requested)
        return;
    LoggerDownloadResult result;
    result.outcome = reason;
    result.expected = m_expected;
    m_host.DownloadEnded(std::move(result));
}
