// The lock keys read from a real X server's XKB indicators: a virtual X
// server of its own (Xvfb on a display number it picks itself), whose lock
// modifiers the test sets as the keys would.
#include "app/LockKeys.h"

#include <gtest/gtest.h>

#ifdef VEXALOG_HAVE_XKB

#include <csignal>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/XKBlib.h>
#include <X11/keysym.h>

extern char** environ;

namespace {

// Xvfb on the first free display; it writes the number it took to a pipe.
class CVirtualXServer {
public:
    CVirtualXServer()
    {
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The write end as descriptor 3 in the server, the only one it keeps open.
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"), const_cast<char*>("3"),
                        const_cast<char*>("-nolisten"), const_cast<char*>("tcp"), const_cast<char*>("-screen"),
                        const_cast<char*>("0"), const_cast<char*>("320x240x24"), nullptr};
        if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        std::string number;
        pollfd ready{pipeFds[0], POLLIN, 0};
        char c = 0;
        // A loaded machine may take a while to start the server.
        while (m_pid > 0 && poll(&ready, 1, 20000) > 0 && read(pipeFds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(pipeFds[0]);
        if (!number.empty())
            m_display = XOpenDisplay((":" + number).c_str());
    }
    ~CVirtualXServer()
    {
        if (m_display != nullptr)
            XCloseDisplay(m_display);
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    CVirtualXServer(const CVirtualXServer&) = delete;
    CVirtualXServer& operator=(const CVirtualXServer&) = delete;

    bool Started() const { return m_pid > 0; }
    Display* display() const { return m_display; }

private:
    pid_t m_pid = -1;
    Display* m_display = nullptr;
};

TEST(LockKeys, ReadFromTheKeyboardsXkbIndicators)
{
    CVirtualXServer server;
    if (!server.Started())
        GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps.sh installs it)";
    Display* display = server.display();
    if (display == nullptr)
        GTEST_SKIP() << "Xvfb started but offered no display to connect to";
    const unsigned numLock = XkbKeysymToModifiers(display, XK_Num_Lock);
    ASSERT_NE(numLock, 0u);

    const struct {
        unsigned locked;
        bool caps;
        bool num;
    } cases[] = {{0, false, false}, {LockMask, true, false}, {numLock, false, true}, {LockMask | numLock, true, true}};
    for (const auto& c : cases) {
        ASSERT_TRUE(XkbLockModifiers(display, XkbUseCoreKbd, LockMask | numLock, c.locked));
        XSync(display, False);
        EXPECT_EQ(XkbLockKey(display, LockKey::Caps), std::optional<bool>(c.caps)) << c.locked;
        EXPECT_EQ(XkbLockKey(display, LockKey::Num), std::optional<bool>(c.num)) << c.locked;
        EXPECT_EQ(XkbLockKey(display, LockKey::Scroll), std::optional<bool>(false)) << c.locked;
    }
}

} // namespace

#endif
