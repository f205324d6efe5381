#pragma once

// What the bench_x11_* programs share: a connection of their own to the display, which watches the
// app's windows, sends keys and clicks (XTest) and sees repaints (XDamage), and the app started in
// a temporary home of its own.

#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace X11Bench {

using Clock = std::chrono::steady_clock;

constexpr xcb_keysym_t superKey = 0xffeb; // Super_L
constexpr xcb_keysym_t shiftKey = 0xffe1; // Shift_L
constexpr xcb_keysym_t pKey = 0x70;       // p

class Display {
public:
    Display() {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~Display() { xcb_disconnect(m_connection); }

    bool ok() const { return xcb_connection_has_error(m_connection) == 0; }
    xcb_connection_t* connection() const { return m_connection; }

    void watch(xcb_window_t window) {
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }

    bool isViewable(xcb_window_t window) {
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
            xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr),
            &std::free);
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    // Drops the events read so far, so that a wait sees only what follows.
    void drain() {
        xcb_flush(m_connection);
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            std::free(event);
        }
    }

    // Waits for an event the predicate accepts; the time is taken as soon as it is read.
    std::optional<Clock::time_point> waitFor(const std::function<bool(xcb_generic_event_t*)>& accept,
                                             std::chrono::milliseconds timeout) {
        const Clock::time_point deadline = Clock::now() + timeout;
        while (true) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const Clock::time_point at = Clock::now();
                const bool accepted = accept(event);
                std::free(event);
                if (accepted) {
                    return at;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0 || !ok()) {
                return std::nullopt;
            }
            pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&descriptor, 1, int(left.count()));
        }
    }

    std::optional<Clock::time_point> waitForMapped(xcb_window_t window, std::chrono::milliseconds timeout) {
        return waitFor(
            [window](xcb_generic_event_t* event) {
                return (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                       reinterpret_cast<xcb_map_notify_event_t*>(event)->window == window;
            },
            timeout);
    }

    std::optional<Clock::time_point> waitForUnmapped(xcb_window_t window, std::chrono::milliseconds timeout) {
        return waitFor(
            [window](xcb_generic_event_t* event) {
                return (event->response_type & 0x7f) == XCB_UNMAP_NOTIFY &&
                       reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window == window;
            },
            timeout);
    }

    // The app's hidden panel: its window that the window manager has not framed (it is still a
    // child of the root) and that is not the capsule. It has no size of its own before it is shown.
    xcb_window_t hiddenPanel() {
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr), &std::free);
        if (!tree) {
            return XCB_WINDOW_NONE;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
                xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, children[i]), nullptr), &std::free);
            if (geometry && !(geometry->width == 38 && geometry->height == 24) && !isViewable(children[i]) &&
                windowClass(children[i]) == "orris-hollows") {
                return children[i];
            }
        }
        return XCB_WINDOW_NONE;
    }

    // The window's place on the screen.
    std::optional<std::pair<int, int>> origin(xcb_window_t window) {
        std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> reply(
            xcb_translate_coordinates_reply(m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0),
                                            nullptr),
            &std::free);
        if (!reply) {
            return std::nullopt;
        }
        return std::pair<int, int>(reply->dst_x, reply->dst_y);
    }

    // Super+Shift+P as the user types it.
    void typeHotKey() { chord({superKey, shiftKey, pKey}); }

    // Presses the keys in order and releases them in reverse order.
    void chord(std::initializer_list<xcb_keysym_t> symbols) {
        std::vector<xcb_keycode_t> keys;
        for (const xcb_keysym_t symbol : symbols) {
            keys.push_back(keycode(symbol));
        }
        for (const xcb_keycode_t key : keys) {
            xcb_test_fake_input(m_connection, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
            xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, *key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        xcb_flush(m_connection);
    }

    void click(int x, int y) {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, int16_t(x), int16_t(y), 0);
        xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_connection);
    }

    void movePointer(int x, int y) {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, int16_t(x), int16_t(y), 0);
        xcb_flush(m_connection);
    }

    // Reports every repaint of the window from now on; false without the XDamage extension.
    bool watchRepaints(xcb_window_t window) {
        const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (extension == nullptr || extension->present == 0) {
            return false;
        }
        m_damageEvent = extension->first_event + XCB_DAMAGE_NOTIFY;
        std::free(xcb_damage_query_version_reply(m_connection, xcb_damage_query_version(m_connection, 1, 1), nullptr));
        const xcb_damage_damage_t damage = xcb_generate_id(m_connection);
        xcb_damage_create(m_connection, damage, window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        xcb_flush(m_connection);
        return true;
    }

    bool isRepaint(xcb_generic_event_t* event) const {
        if (m_damageEvent == 0 || (event->response_type & 0x7f) != m_damageEvent) {
            return false;
        }
        // The search field's blinking caret is no answer to a key: it repaints the caret's rectangle
        // (the caret with a few pixels either side, 7 wide) every half second whatever was pressed.
        // Counted, a blink that falls within `quiet` of a click read as a ~95 ms answer, and then
        // held every later click in step with it (the next click came `quiet` twice after a blink).
        const auto* notify = reinterpret_cast<const xcb_damage_notify_event_t*>(event);
        return notify->area.width > 8;
    }

    // The time of the last repaint that follows within `quiet` of the one before, the first one
    // coming within `timeout`; none when nothing was repainted.
    std::optional<Clock::time_point> lastRepaint(std::chrono::milliseconds quiet, std::chrono::milliseconds timeout) {
        std::optional<Clock::time_point> last;
        const Clock::time_point started = Clock::now();
        const Clock::time_point deadline = started + timeout;
        while (true) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const Clock::time_point at = Clock::now();
                if (isRepaint(event)) {
                    last = at;
                    if (std::getenv("ORRIS_BENCH_DEBUG") != nullptr) {
                        const auto* notify = reinterpret_cast<const xcb_damage_notify_event_t*>(event);
                        std::fprintf(stderr, "  repaint %.1f ms: %dx%d+%d+%d\n",
                                     std::chrono::duration<double, std::milli>(at - started).count(),
                                     notify->area.width, notify->area.height, notify->area.x, notify->area.y);
                    }
                }
                std::free(event);
            }
            const Clock::time_point until = last ? std::min(*last + quiet, deadline + quiet) : deadline;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
            if (left.count() <= 0 || !ok()) {
                return last;
            }
            pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&descriptor, 1, int(left.count()) + 1);
        }
    }

    std::optional<Clock::time_point> firstRepaint(std::chrono::milliseconds timeout) {
        return waitFor([this](xcb_generic_event_t* event) { return isRepaint(event); }, timeout);
    }

private:
    struct SymbolsFree {
        void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
    };

    xcb_keycode_t keycode(xcb_keysym_t symbol) {
        if (!m_symbols) {
            m_symbols.reset(xcb_key_symbols_alloc(m_connection));
        }
        std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(xcb_key_symbols_get_keycode(m_symbols.get(), symbol),
                                                                   &std::free);
        return codes ? codes.get()[0] : 0;
    }

    std::string windowClass(xcb_window_t window) {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64),
                                   nullptr),
            &std::free);
        if (!reply) {
            return {};
        }
        const char* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
        return std::string(value, strnlen(value, size_t(xcb_get_property_value_length(reply.get()))));
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    uint8_t m_damageEvent = 0;
    std::unique_ptr<xcb_key_symbols_t, SymbolsFree> m_symbols;
};

// The app in a temporary home of its own, ended with SIGTERM.
class App {
public:
    App() {
        char folder[] = "/tmp/orris-bench-XXXXXX";
        if (::mkdtemp(folder) != nullptr) {
            m_home = folder;
        }
    }
    ~App() {
        stop();
        if (!m_home.empty()) {
            const std::string command = "rm -rf '" + m_home + "'";
            [[maybe_unused]] const int status = std::system(command.c_str());
        }
    }
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    const std::string& home() const { return m_home; }
    pid_t pid() const { return m_pid; }

    // A file of the home, its folders made as needed.
    bool writeFile(const std::string& relativePath, const std::string& content) const {
        const std::string path = m_home + "/" + relativePath;
        const std::string command = "mkdir -p \"$(dirname '" + path + "')\"";
        if (std::system(command.c_str()) != 0) {
            return false;
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
        return bool(out);
    }

    // Starts the app, or another program (a yardstick) in the same home and environment.
    bool start(std::string binary = ORRIS_APP_BINARY) {
        std::vector<std::string> variables = {"HOME=" + m_home, "XDG_CONFIG_HOME=" + m_home + "/.config",
                                              "XDG_DATA_HOME=" + m_home + "/.local/share", "QT_QPA_PLATFORM=xcb"};
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view text(*entry);
            if (!text.starts_with("HOME=") && !text.starts_with("XDG_CONFIG_HOME=") &&
                !text.starts_with("XDG_DATA_HOME=") && !text.starts_with("QT_QPA_PLATFORM=")) {
                variables.emplace_back(text);
            }
        }
        std::vector<char*> environment;
        for (std::string& variable : variables) {
            environment.push_back(variable.data());
        }
        environment.push_back(nullptr);
        char* arguments[] = {binary.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int failed = ::posix_spawn(&m_pid, binary.c_str(), &actions, nullptr, arguments, environment.data());
        posix_spawn_file_actions_destroy(&actions);
        return failed == 0;
    }

    void stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
        }
    }

private:
    std::string m_home;
    pid_t m_pid = -1;
};

// What the kernel counts for a process: CPU ticks of all its threads (user and system, those
// that ended included) and its resident memory.
struct ProcessCounters {
    long long cpuTicks = 0;
    long long residentKilobytes = 0;

    static std::optional<ProcessCounters> read(pid_t pid) {
        ProcessCounters counters;
        const std::string base = "/proc/" + std::to_string(pid);
        std::ifstream stat(base + "/stat");
        std::string line;
        if (!std::getline(stat, line)) {
            return std::nullopt;
        }
        // Fields after the command name, which may hold blanks: state is field 3, utime 14, stime 15.
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::vector<std::string> values;
        for (std::string value; fields >> value;) {
            values.push_back(value);
        }
        if (values.size() < 13) {
            return std::nullopt;
        }
        counters.cpuTicks = std::stoll(values[11]) + std::stoll(values[12]);
        std::ifstream status(base + "/status");
        for (std::string row; std::getline(status, row);) {
            if (row.starts_with("VmRSS:")) {
                counters.residentKilobytes = std::stoll(row.substr(6));
            }
        }
        return counters;
    }
};

// The times the process's threads were switched out: waiting for something (voluntary, each a
// wake-up when it ends) or preempted. The kernel counts them per thread and forgets a thread
// when it ends, so the threads are sampled often and each keeps the last count seen; a thread
// that began after the first sample counts from zero.
class SwitchCounter {
public:
    explicit SwitchCounter(pid_t pid) : m_base("/proc/" + std::to_string(pid) + "/task") {
        sample();
        m_first = m_last;
    }

    void sample() {
        DIR* tasks = ::opendir(m_base.c_str());
        if (tasks == nullptr) {
            return;
        }
        while (dirent* entry = ::readdir(tasks)) {
            if (entry->d_name[0] == '.') {
                continue;
            }
            std::ifstream status(m_base + "/" + entry->d_name + "/status");
            Counts counts;
            bool read = false;
            for (std::string row; std::getline(status, row);) {
                if (row.starts_with("voluntary_ctxt_switches:")) {
                    counts.voluntary = std::stoll(row.substr(24));
                    read = true;
                } else if (row.starts_with("nonvoluntary_ctxt_switches:")) {
                    counts.involuntary = std::stoll(row.substr(27));
                }
            }
            if (read) {
                m_last[entry->d_name] = counts;
            }
        }
        ::closedir(tasks);
    }

    long long voluntary() const { return total(&Counts::voluntary); }
    long long involuntary() const { return total(&Counts::involuntary); }
    int threadsSeen() const { return int(m_last.size()); }

private:
    struct Counts {
        long long voluntary = 0;
        long long involuntary = 0;
    };

    long long total(long long Counts::*member) const {
        long long sum = 0;
        for (const auto& [task, counts] : m_last) {
            const auto first = m_first.find(task);
            sum += counts.*member - (first != m_first.end() ? first->second.*member : 0);
        }
        return sum;
    }

    std::string m_base;
    std::map<std::string, Counts> m_first;
    std::map<std::string, Counts> m_last;
};

// The status capsule's window (38 by 24) being created: stores it in window.
inline bool isCapsuleCreated(xcb_generic_event_t* event, xcb_window_t& window) {
    if ((event->response_type & 0x7f) != XCB_CREATE_NOTIFY) {
        return false;
    }
    const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
    if (created->width == 38 && created->height == 24) {
        window = created->window;
        return true;
    }
    return false;
}

} // namespace X11Bench
