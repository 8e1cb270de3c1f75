// LoadWorkbook: FreeXL reads in a program of its own (vexalog-xls-reader),
// started afresh by posix_spawn, which sends the cells back through a pipe
// (WorkbookReply.h). A fresh program holds none of this process's threads or
// locks, so nothing a thread of ours held at the time can stop it.
#include "workbook/WorkbookReader.h"

#include "workbook/WorkbookReply.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <algorithm>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool Executable(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
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
        if (reply.size() > MaxWorkbookReply())
            return false;
    }
}

} // namespace

std::string WorkbookReaderProgram()
{
    if (const char* given = std::getenv("VEXALOG_XLS_READER"); given && *given)
        return given;
    // Beside the running program, as an installed or unpacked copy keeps them.
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string beside(self, static_cast<std::size_t>(length));
        beside = beside.substr(0, beside.rfind('/') + 1) + kWorkbookReaderName;
        if (Executable(beside))
            return beside;
    }
#ifdef VEXALOG_XLS_READER_INSTALLED
    if (Executable(VEXALOG_XLS_READER_INSTALLED))
        return VEXALOG_XLS_READER_INSTALLED;
#endif
#ifdef VEXALOG_XLS_READER_BUILT
    if (Executable(VEXALOG_XLS_READER_BUILT))
        return VEXALOG_XLS_READER_BUILT;
#endif
    return {};
}

bool LoadWorkbook(const std::string& path, Workbook& workbook, std::string* error, const std::atomic<bool>* cancel)
{
    const std::string damaged = "The workbook \"" + path + "\" cannot be read: it is damaged (the reader stopped on it).";
    const std::string program = WorkbookReaderProgram();
    if (program.empty()) {
        *error = "The workbook \"" + path + "\" cannot be read: the program that reads workbooks (" +
                 kWorkbookReaderName + ") is not installed.";
        return false;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        *error = "The workbook \"" + path + "\" cannot be read: " + std::strerror(errno) + ".";
        return false;
    }
    // The reader answers on its standard output; what it says on its way
    // down is not for the user.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string argument0 = program;
    std::string argument1 = path;
    char* arguments[] = {argument0.data(), argument1.data(), nullptr};
    pid_t child = -1;
    const int spawned = ::posix_spawn(&child, program.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        *error = "The workbook \"" + path + "\" cannot be read: the program that reads workbooks (" + program +
                 ") cannot be started: " + std::strerror(spawned) + ".";
        return false;
    }
    std::string reply;
    const bool complete = ReadReply(fds[0], reply, cancel);
    ::close(fds[0]);
    if (!complete)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (cancel && cancel->load()) {
        *error = "The reading of the workbook \"" + path + "\" was cancelled.";
        return false;
    }
    const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!complete || !exited) {
        *error = damaged;
        return false;
    }
    std::string problem;
    if (DecodeWorkbookReply(reply, workbook, &problem))
        return true;
    *error = problem.empty() ? damaged : problem;
    return false;
}
