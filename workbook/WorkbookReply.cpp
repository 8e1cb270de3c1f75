// What the workbook reader program sends back through its pipe:
//   'E', u32 length, error text                         on failure
//   'O', u32 sheets, then per sheet: u32 name length, name, u32 rows, then
//        per row: u32 cells, then per cell: u8 kind, and either u32 length
//        and text (Kind::Text) or an 8-byte double (the other kinds)
// all little-endian as the machine writes them (both ends are this program).
#include "workbook/WorkbookReply.h"

#include "workbook/WorkbookReader.h"

#include <cstdint>
#include <cstring>

namespace {

void Put(std::string& out, const void* data, std::size_t size)
{
    out.append(static_cast<const char*>(data), size);
}

void PutU32(std::string& out, std::size_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    Put(out, &v, sizeof v);
}

} // namespace

std::string EncodeWorkbookReply(bool ok, const Workbook& workbook, const std::string& error)
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

namespace {

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

} // namespace

bool DecodeWorkbookReply(const std::string& bytes, Workbook& workbook, std::string* error)
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


std::size_t MaxWorkbookReply()
{
    return kWorkbookMaxLoadedText + kWorkbookMaxLoadedCells * 16;
}
