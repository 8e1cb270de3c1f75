// LoadWorkbook: FreeXL reads in a child process, which sends the cells back
// through a pipe. What crosses the pipe:
//   'E', u32 length, error text                         on failure
//   'O', u32 sheets, then per sheet: u32 name length, name, u32 rows, then
//        per row: u32 cells, then per cell: u8 kind, and either u32 length
//        and text (Kind::Text) or an 8-byte double (the other kinds)
// all little-endian as the machine writes them (both ends are this program).
#include "WorkbookReader.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <algorithm>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// More than the most a readable workbook can take: the bounded cells with
// their bounded text.
constexpr std::size_t kMaxReply = kWorkbookMaxLoadedText + kWorkbookMaxLoadedCells * 16;

void Put(std::string& out, const void* data, std::size_t size)
{
    out.append(static_cast<const char*>(data), size);
}

void PutU32(std::string& out, std::size_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    Put(out, &v, sizeof v);
}

std::string Encode(bool ok, const Workbook& workbook, const std::string& error)
{
    std::string out;
    if (!ok) {
        out += 'E';
        PutU32(out, error.size());
        out += error;
        return out;
    }
    out += 'O';
    PutU32(out, workbook.sheets.size());
    for (const WorkbookSheet& sheet : workbook.sheets) {
        PutU32(out, sheet.name.size());
        out += sheet.name;
        PutU32(out, sheet.rows.size());
        for (const std::vector<WorkbookCell>& row : sheet.rows) {
            PutU32(out, row.size());
            for (const WorkbookCell& cell : row) {
                out += static_cast<char>(cell.kind);
                if (cell.kind == WorkbookCell::Kind::Text) {
                    PutU32(out, cell.text.size());
                    out += cell.text;
                } else {
                    Put(out, &cell.number, sizeof cell.number);
                }
            }
        }
    }
    return out;
}

// Reads the reply, checking every length against what is left.
class CReply {
public:
    explicit CReply(const std::string& bytes) : m_bytes(bytes) {}

    bool Take(void* data, std::size_t size)
    {
        if (m_bytes.size() - m_at < size)
            return false;
        std::memcpy(data, m_bytes.data() + m_at, size);
        m_at += size;
        return true;
    }
    bool U32(std::uint32_t& value) { return Take(&value, sizeof value); }
    bool Text(std::string& text)
    {
        std::uint32_t length = 0;
        if (!U32(length) || m_bytes.size() - m_at < length)
            return false;
        text.assign(m_bytes, m_at, length);
        m_at += length;
        return true;
    }
    bool AtEnd() const { return m_at == m_bytes.size(); }

private:
    const std::string& m_bytes;
    std::size_t m_at = 0;
};

bool Decode(const std::string& bytes, Workbook& workbook, std::string* error)
{
    CReply reply(bytes);
    char status = 0;
    if (!reply.Take(&status, 1))
        return false;
    if (status == 'E') {
        reply.Text(*error);
        return false;
    }
    std::uint32_t sheets = 0;
    if (status != 'O' || !reply.U32(sheets))
        return false;
    Workbook decoded;
    for (std::uint32_t s = 0; s < sheets; ++s) {
        WorkbookSheet sheet;
        std::uint32_t rows = 0;
        if (!reply.Text(sheet.name) || !reply.U32(rows) || rows > static_cast<std::uint32_t>(kWorkbookMaxRows))
            return false;
        sheet.rows.resize(rows);
        for (std::vector<WorkbookCell>& row : sheet.rows) {
            std::uint32_t cells = 0;
            if (!reply.U32(cells) || cells > static_cast<std::uint32_t>(kWorkbookMaxColumns))
                return false;
            row.resize(cells);
            for (WorkbookCell& cell : row) {
                std::uint8_t kind = 0;
                if (!reply.Take(&kind, 1) || kind > static_cast<std::uint8_t>(WorkbookCell::Kind::Time))
                    return false;
                cell.kind = static_cast<WorkbookCell::Kind>(kind);
                if (cell.kind == WorkbookCell::Kind::Text ? !reply.Text(cell.text)
                                                          : !reply.Take(&cell.number, sizeof cell.number))
                    return false;
            }
        }
        decoded.sheets.push_back(std::move(sheet));
    }
    if (!reply.AtEnd())
        return false;
    workbook = std::move(decoded);
    return true;
}

void WriteAll(int fd, const std::string& bytes)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        at += static_cast<std::size_t>(n);
    }
}

// Reads the child's reply until it closes the pipe; false when the reply
// grows past any sensible size or the child takes too long.
bool ReadReply(int fd, std::string& reply, const std::atomic<bool>* cancel)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kWorkbookReadSeconds);
    char buffer[65536];
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd wait{fd, POLLIN, 0};
        // A cancel is looked at a few times a second.
        const int ready = ::poll(&wait, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            continue;
        if (ready < 0)
            return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        reply.append(buffer, static_cast<std::size_t>(n));
        if (reply.size() > kMaxReply)
            return false;
    }
}

} // namespace

bool LoadWorkbook(const std::string& path, Workbook& workbook, std::string* error, const std::atomic<bool>* cancel)
{
    const std::string damaged = "The workbook \"" + path + "\" cannot be read: it is damaged (the reader stopped on it).";
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        *error = "The workbook \"" + path + "\" cannot be read: " + std::strerror(errno) + ".";
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        *error = "The workbook \"" + path + "\" cannot be read: " + std::strerror(errno) + ".";
        return false;
    }
    if (child == 0) {
        // The child: read, answer, and leave without running this process's
        // exit handlers.
        ::close(fds[0]);
        std::signal(SIGPIPE, SIG_IGN);
        // Whatever the reader says on its way down is not for the user.
        const int quiet = ::open("/dev/null", O_WRONLY);
        if (quiet >= 0)
            ::dup2(quiet, STDERR_FILENO);
        Workbook loaded;
        std::string problem;
        const bool ok = LoadWorkbookInProcess(path, loaded, &problem);
        WriteAll(fds[1], Encode(ok, loaded, problem));
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string reply;
    const bool complete = ReadReply(fds[0], reply, cancel);
    ::close(fds[0]);
    if (!complete)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (cancel && cancel->load()) {
        *error = "The reading of the workbook \"" + path + "\" was cancelled.";
        return false;
    }
    if (!complete || !exited) {
        *error = damaged;
        return false;
    }
    std::string problem;
    if (Decode(reply, workbook, &problem))
        return true;
    *error = problem.empty() ? damaged : problem;
    return false;
}
