#include "meter/ReadingDecoder.h"

#include "common/Clock.h"

#include <algorithm>
#include <cstring>

// How the receive side deals with what the buffer sizes leave open:
// - A chunk in step is handed on (to the download or the block assembly)
//   straight from the received bytes, whatever its length, so a chunk longer
//   than the 2048-byte buffer loses nothing. The buffer is only used to put
//   a sync pair split across two chunks back in front of its chunk.
// - Hunting keeps only the byte before the current one; after 2048 bytes
//   without the pair it starts over at position 0 with that last byte kept,
//   so a pair that straddles the restart is still found.
// - While a data-logger reply is awaited, a chunk that ends a block and goes
//   on with 0xBB where the next block would begin holds the reply's start:
//   the block is decoded and the rest goes to the download.
// - A tag whose code or data bytes would lie beyond the end of its block is
//   ignored, and the rest of that block is not scanned (those bytes belong to
//   the tag). Tags are never completed from the next block.

namespace {
constexpr std::uint8_t kTagStart = 0xA5;
constexpr std::uint8_t kPairSecond = 0x0D;
constexpr std::uint8_t kBadByte = 0xFF;
constexpr std::uint8_t kReplyStart = 0xBB;
} // namespace

CReadingDecoder::CReadingDecoder(MeterState& state, IMeterLinkListener& events, const IClock& clock)
    : m_state(state), m_events(events), m_clock(clock), m_lastReceiveTime(clock.Now()),
      m_lastReceiveTick(clock.TickCount())
{
}

void CReadingDecoder::ResetSync()
{
    m_synced = false;
    m_searchIndex = 0;
}

void CReadingDecoder::Receive(const std::uint8_t* data, std::size_t n)
{
    m_lastReceiveTime = m_clock.Now();
    m_lastReceiveTick = m_clock.TickCount();
    if (!m_connected) {
        m_connected = true;
        m_events.InvalidatePanel(PanelArea::MeterFace); // the meter face switches to its "on" picture
    }
    if (n == 0 || data == nullptr)
        return;

    if (m_synced) {
        HandleChunk(data, n);
        return;
    }

    m_blockIndex = 0;
    const std::size_t after = Hunt(data, n);
    if (!m_synced)
        return;
    if (after >= 2) {
        // The whole pair is in this chunk: the chunk starts with it.
        HandleChunk(data + after - 2, n - after + 2);
        return;
    }
    // The 0xA5 came with the previous chunk: put it back in front.
    m_chunk[0] = kTagStart;
    const std::size_t take = std::min(n, kChunkSize - 1);
    std::memcpy(m_chunk.data() + 1, data, take);
    if (HandleChunk(m_chunk.data(), take + 1) && take < n && m_synced)
        HandleChunk(data + take, n - take); // only for chunks longer than the buffer
}

std::size_t CReadingDecoder::Hunt(const std::uint8_t* data, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = data[i];
        if (b == kPairSecond && m_searchIndex > 0 && m_huntPrevious == kTagStart) {
            m_synced = true;
            return i + 1;
        }
        m_huntPrevious = b;
        if (++m_searchIndex == kChunkSize)
            m_searchIndex = 1; // start over at 0, the last byte kept in front
    }
    return n;
}

bool CReadingDecoder::HandleChunk(const std::uint8_t* chunk, std::size_t n)
{
    if (m_route != nullptr) {
        if (chunk[0] == kReplyStart || m_route->HeaderPending()) {
            m_route->HeaderChunk(chunk, n);
            return true;
        }
        if (m_route->Receiving()) {
            m_route->DataChunk(chunk, n);
            return true;
        }
        if (m_route->ReplyAwaited()) {
            // A port read late gives the end of a block and the reply's start
            // in one chunk: the reply begins where a block would.
            for (std::size_t at = (kBlockSize - m_blockIndex) % kBlockSize; at < n; at += kBlockSize) {
                if (chunk[at] != kReplyStart)
                    continue;
                AssembleBlocks(chunk, at);
                m_route->HeaderChunk(chunk + at, n - at);
                return true;
            }
        }
    }
    return AssembleBlocks(chunk, n);
}

bool CReadingDecoder::AssembleBlocks(const std::uint8_t* bytes, std::size_t n)
{
    while (n > 0) {
        const std::size_t take = std::min(n, kBlockSize - m_blockIndex);
        std::memcpy(m_block.data() + m_blockIndex, bytes, take);
        m_blockIndex += take;
        bytes += take;
        n -= take;
        if (m_blockIndex == kBlockSize) {
            m_blockIndex = 0;
            if (!ProcessBlock())
                return false;
        }
    }
    return true;
}

bool CReadingDecoder::ProcessBlock()
{
    if (std::memchr(m_block.data(), kBadByte, kBlockSize) != nullptr) {
        m_badBlock = true;
        return false; // the rest of the chunk is dropped
    }
    if (m_badBlock) {
        // The block after a bad one is dropped too and the stream hunted anew.
        m_badBlock = false;
        ResetSync();
        return false;
    }
    if (!ScanBlock())
        return false;
    m_events.BlockDecoded();
    return true;
}
