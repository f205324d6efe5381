// Latencies of the application shell as the user sees them, on the private X server of
// tests/e2e/with-display (script/bench runs bench_x11_* programs there), with the Release app:
// - from the global hot key (an XTest key press) to the panel window being mapped;
// - from the start of the process to the status item (the capsule: no tray host runs) being mapped.
// Each repetition is one measured run; the median over the repetitions is the figure to read.

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr xcb_keysym_t superKey = 0xffeb; // Super_L
constexpr xcb_keysym_t shiftKey = 0xffe1; // Shift_L
constexpr xcb_keysym_t pKey = 0x70;       // p

// Our own connection to the display, which watches the app's windows and sends the keys.
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

    // Super+Shift+P as the user types it.
    void typeHotKey() {
        if (!m_symbols) {
            m_symbols.reset(xcb_key_symbols_alloc(m_connection));
        }
        const xcb_keycode_t keys[] = {keycode(superKey), keycode(shiftKey), keycode(pKey)};
        for (const xcb_keycode_t key : keys) {
            xcb_test_fake_input(m_connection, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        for (int i = 2; i >= 0; --i) {
            xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, keys[i], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        xcb_flush(m_connection);
    }

private:
    struct SymbolsFree {
        void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
    };

    xcb_keycode_t keycode(xcb_keysym_t symbol) {
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

    bool start() {
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
        std::string binary = ORRIS_APP_BINARY;
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

bool isCapsuleCreated(xcb_generic_event_t* event, xcb_window_t& window) {
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

// From the spawn of the process to the capsule's MapNotify.
void BM_StartToStatusItemMapped(benchmark::State& state) {
    Display display;
    if (!display.ok()) {
        state.SkipWithError("no X display");
        return;
    }
    for (auto _ : state) {
        App app;
        const Clock::time_point started = Clock::now();
        if (!app.start()) {
            state.SkipWithError("the app did not start");
            return;
        }
        xcb_window_t capsule = XCB_WINDOW_NONE;
        std::optional<Clock::time_point> mapped;
        if (display.waitFor([&capsule](xcb_generic_event_t* event) { return isCapsuleCreated(event, capsule); },
                            std::chrono::seconds(10))) {
            display.watch(capsule);
            // Mapped before we listened: count it now, which can only make the figure larger.
            mapped = display.isViewable(capsule) ? std::optional(Clock::now())
                                                 : display.waitForMapped(capsule, std::chrono::seconds(10));
        }
        if (!mapped) {
            state.SkipWithError("the status item was not mapped");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(*mapped - started).count());
    }
}
BENCHMARK(BM_StartToStatusItemMapped)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(15);

// From the XTest press of Super+Shift+P to the panel's MapNotify; the panel is closed again
// (unmeasured) between the runs.
void BM_HotKeyToPanelMapped(benchmark::State& state) {
    static Display display;
    static App app;
    static xcb_window_t panel = XCB_WINDOW_NONE;
    static bool setUp = false;
    if (!display.ok()) {
        state.SkipWithError("no X display");
        return;
    }
    if (!setUp) {
        setUp = true;
        xcb_window_t capsule = XCB_WINDOW_NONE;
        if (!app.start() ||
            !display.waitFor([&capsule](xcb_generic_event_t* event) { return isCapsuleCreated(event, capsule); },
                             std::chrono::seconds(10))) {
            state.SkipWithError("the app did not start");
            return;
        }
        // Let the launch settle (the hot key grab, the first load of the library).
        ::usleep(1000 * 1000);
        panel = display.hiddenPanel();
        display.watch(panel);
    }
    if (panel == XCB_WINDOW_NONE) {
        state.SkipWithError("no panel window");
        return;
    }
    for (auto _ : state) {
        const Clock::time_point pressed = Clock::now();
        display.typeHotKey();
        const std::optional<Clock::time_point> mapped = display.waitForMapped(panel, std::chrono::seconds(5));
        if (!mapped) {
            state.SkipWithError("the hot key did not map the panel");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(*mapped - pressed).count());
        display.typeHotKey();
        if (!display.waitForUnmapped(panel, std::chrono::seconds(5))) {
            state.SkipWithError("the hot key did not close the panel");
            return;
        }
        ::usleep(50 * 1000);
        display.drain();
    }
}
BENCHMARK(BM_HotKeyToPanelMapped)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(25);

} // namespace

BENCHMARK_MAIN();
