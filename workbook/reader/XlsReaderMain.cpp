// vexalog-xls-reader FILE: reads the cells of an .xls workbook through FreeXL
// and writes them to its standard output for the program that started it
// (WorkbookReply.h). Started afresh for each workbook, so a file that makes
// FreeXL crash, hang or grow only ends this program.
#include "workbook/WorkbookReader.h"
#include "workbook/WorkbookReply.h"

#include <cerrno>
#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: vexalog-xls-reader FILE.xls (started by Vexalog to read a workbook)\n", stderr);
        return 2;
    }
    // FreeXL sets aside room for the whole area each sheet claims: a file
    // claiming more than this fails as too large instead of filling memory.
    // (Not under AddressSanitizer, whose shadow memory alone is larger.)
#if !defined(__SANITIZE_ADDRESS__)
    const rlimit limit{kWorkbookReaderMemory, kWorkbookReaderMemory};
    ::setrlimit(RLIMIT_AS, &limit);
#endif

    Workbook workbook;
    std::string problem;
    const bool ok = LoadWorkbookInProcess(argv[1], workbook, &problem);
    const std::string reply = EncodeWorkbookReply(ok, workbook, problem);
    for (std::size_t at = 0; at < reply.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, reply.data() + at, reply.size() - at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 1;
        at += static_cast<std::size_t>(n);
    }
    return 0;
}
