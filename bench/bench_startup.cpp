// Start-up time and memory of the real orvik-panel binary. Needs an X server (bench/run.sh
// starts Xvfb): it watches the root window for the panel's main window being mapped.
//
//   bench_startup [--runs N, default 10] [--idle SECONDS, default 20] [PANEL]
//
// Start-up: from just before exec to the X server reporting the window titled
// "Korvane ORVIK Remote Control" mapped (no window manager runs, so the map is the
// panel's own), both on CLOCK_MONOTONIC. Memory: /proc/<pid>/status and smaps_rollup of
// the panel left idle for a while, under xcb and under the offscreen platform. Every
// figure also with QT_XCB_GL_INTEGRATION=none, to show what the GL integration costs.

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const char title[] = "Korvane ORVIK Remote Control";

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

pid_t spawnPanel(const std::string &panel, const std::vector<std::string> &extraEnv)
{
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string s(*e);
        if (s.rfind("QT_QPA_PLATFORM=", 0) != 0 && s.rfind("QT_XCB_GL_INTEGRATION=", 0) != 0)
            env.push_back(s);
    }
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char *> envp;
    for (std::string &s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string tag = "bench";
    std::string program = panel;
    char *argv[] = {program.data(), tag.data(), nullptr};
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 01, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 01, 0);
    if (posix_spawn(&pid, panel.c_str(), &actions, nullptr, argv, envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

bool hasTitle(xcb_connection_t *c, xcb_window_t w)
{
    auto cookie = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply)
        return false;
    const std::string name(static_cast<const char *>(xcb_get_property_value(reply)),
                           size_t(xcb_get_property_value_length(reply)));
    free(reply);
    return name == title;
}

// Milliseconds from exec to the window mapped, or -1 after 10 s without it.
double timeToMap(xcb_connection_t *c, const std::string &panel, const std::vector<std::string> &env,
                 pid_t *pidOut)
{
    const double t0 = nowMs();
    const pid_t pid = spawnPanel(panel, env);
    *pidOut = pid;
    if (pid < 0)
        return -1;
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (nowMs() - t0 < 10000) {
        xcb_generic_event_t *event = xcb_poll_for_event(c);
        if (!event) {
            if (xcb_connection_has_error(c))
                return -1;
            ::poll(&fd, 1, 100);
            continue;
        }
        const bool map = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        const xcb_window_t w = map ? reinterpret_cast<xcb_map_notify_event_t *>(event)->window : 0;
        free(event);
        if (map && hasTitle(c, w))
            return nowMs() - t0;
    }
    return -1;
}

struct Memory
{
    long rss = -1, anon = -1, priv = -1; // KiB
    bool gl = false;                     // Mesa's GL driver mapped
};

long field(const std::string &path, const std::string &key)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::atol(line.c_str() + key.size() + 1);
    }
    return -1;
}

Memory memoryOf(pid_t pid)
{
    const std::string proc = "/proc/" + std::to_string(pid);
    Memory m;
    m.rss = field(proc + "/status", "VmRSS");
    m.anon = field(proc + "/status", "RssAnon");
    m.priv = field(proc + "/smaps_rollup", "Private_Clean")
             + field(proc + "/smaps_rollup", "Private_Dirty");
    std::ifstream maps(proc + "/maps");
    std::string line;
    while (std::getline(maps, line))
        m.gl = m.gl || line.find("_dri.so") != std::string::npos
               || line.find("libLLVM") != std::string::npos;
    return m;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const long i = std::lround(std::ceil(p * double(v.size()))) - 1;
    return v.at(size_t(std::clamp(i, 0L, long(v.size()) - 1)));
}

void row(const std::string &figure, const std::string &value, const std::string &target)
{
    std::printf("| %-44s | %12s | %-10s | %14s |\n", figure.c_str(), value.c_str(), target.c_str(),
                "");
}

std::string num(double v, int decimals = 1)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

std::string mib(long kib)
{
    return num(double(kib) / 1024.0);
}

} // namespace

int main(int argc, char *argv[])
{
    int runs = 10;
    int idle = 20;
    std::string panel = ORVIK_PANEL_DEFAULT;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--idle") && i + 1 < argc)
            idle = std::max(1, std::atoi(argv[++i]));
        else
            panel = argv[i];
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench_startup: no X server on DISPLAY\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    const std::vector<std::string> withGl;
    const std::vector<std::string> noGl{"QT_XCB_GL_INTEGRATION=none"};
    std::vector<double> times[2];
    Memory xcbMemory[2];
    for (int gl = 0; gl < 2; ++gl) {
        for (int r = 0; r < runs; ++r) {
            pid_t pid = -1;
            const double ms = timeToMap(c, panel, gl ? noGl : withGl, &pid);
            if (ms >= 0)
                times[gl].push_back(ms);
            if (r == runs - 1 && pid > 0) {
                sleep(unsigned(idle));
                xcbMemory[gl] = memoryOf(pid);
            }
            if (pid > 0)
                stop(pid);
            usleep(200000);
        }
    }
    Memory offscreen;
    const pid_t pid = spawnPanel(panel, {"QT_QPA_PLATFORM=offscreen"});
    sleep(unsigned(idle));
    offscreen = memoryOf(pid);
    stop(pid);
    xcb_disconnect(c);

    const std::string n = std::to_string(runs);
    for (int gl = 0; gl < 2; ++gl) {
        const std::string how = gl ? ", GL integration none" : "";
        row("start-up to window mapped, xcb" + how + " (n=" + n + ")",
            std::to_string(times[gl].size()) + " mapped", "-");
        row("  min / p50 (ms)",
            num(percentile(times[gl], 0)) + " / " + num(percentile(times[gl], 0.5)),
            gl ? "-" : "p50 <= 150");
        row("  max (ms)", num(percentile(times[gl], 1)), "-");
    }
    const std::string idleText = std::to_string(idle) + " s idle";
    auto memoryRows = [&](const std::string &name, const Memory &m) {
        row(name + ", " + idleText + ": VmRSS (MiB)", mib(m.rss), "-");
        row("  private: RssAnon / Private_* (MiB)", mib(m.anon) + " / " + mib(m.priv), "<= 20");
        row("  Mesa GL driver (*_dri.so, libLLVM) mapped", m.gl ? "yes" : "no", "-");
    };
    memoryRows("memory, xcb", xcbMemory[0]);
    memoryRows("memory, xcb, GL integration none", xcbMemory[1]);
    memoryRows("memory, offscreen", offscreen);
    return times[0].empty() ? 1 : 0;
}
