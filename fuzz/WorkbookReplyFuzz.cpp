// The reply of the workbook reader program as the driver takes it: any bytes
// decode to a workbook within the format's bounds or are refused, and a
// workbook that decodes is encoded back to the same bytes.
#include "workbook/WorkbookReply.h"

#include <cstdlib>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Workbook workbook;
    std::string error;
    if (!DecodeWorkbookReply(bytes, workbook, &error))
        return 0;
    for (const WorkbookSheet& sheet : workbook.sheets) {
        Require(sheet.rows.size() <= static_cast<std::size_t>(kWorkbookMaxRows));
        for (const auto& row : sheet.rows)
            Require(row.size() <= static_cast<std::size_t>(kWorkbookMaxColumns));
    }
    Require(EncodeWorkbookReply(true, workbook, "") == bytes);
    return 0;
}
