#include "platform/EventSoundPlayer.h"

#include "model/AppLog.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>

#ifdef ORRIS_HAVE_CANBERRA
#include <canberra.h>
#include <dlfcn.h>
#endif

namespace {

// How long the destructor waits for the worker before leaving it behind (only at exit can a
// sound server that does not answer keep it busy).
constexpr std::chrono::milliseconds shutdownWait{500};

// Plays that fail before any play has started: a context that opens but never plays (no
// device, no server) is given up after these, rather than tried again at every copy.
constexpr int failedPlaysBeforeGivingUp = 3;

} // namespace

struct EventSoundPlayer::Voice::State {
    std::shared_ptr<EventSoundPlayer::Core> core;
    std::string eventID;
    std::atomic<bool> playing{false};
    // The canberra id of the voice's latest play; every play gets a new one, so the end of an
    // earlier, cancelled play cannot mark a later one as finished.
    std::atomic<uint32_t> currentPlayID{0};
};

struct EventSoundPlayer::Core : std::enable_shared_from_this<EventSoundPlayer::Core> {
    explicit Core(std::string libraryName) : library(std::move(libraryName)) {}

    std::string library;
    std::atomic<Availability> availability{Availability::unknown};
    std::atomic<uint32_t> nextPlayID{1};
    // Worker only.
    bool anyPlayStarted = false;
    int failedPlays = 0;

    // The worker's queue.
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;
    std::deque<std::function<void()>> tasks;
    bool stopping = false;
    bool done = false;
    bool started = false;

    // Plays in flight, by canberra id; read by canberra's finish callback on its own thread.
    std::mutex playsMutex;
    std::unordered_map<uint32_t, std::weak_ptr<Voice::State>> plays;

#ifdef ORRIS_HAVE_CANBERRA
    struct Api {
        decltype(&ca_context_create) contextCreate = nullptr;
        decltype(&ca_context_destroy) contextDestroy = nullptr;
        decltype(&ca_context_open) contextOpen = nullptr;
        decltype(&ca_context_change_props_full) changeProps = nullptr;
        decltype(&ca_context_play_full) playFull = nullptr;
        decltype(&ca_context_cancel) cancel = nullptr;
        decltype(&ca_proplist_create) proplistCreate = nullptr;
        decltype(&ca_proplist_destroy) proplistDestroy = nullptr;
        decltype(&ca_proplist_sets) proplistSets = nullptr;
    } api;
    ca_context* context = nullptr;
#endif

    void enqueue(std::function<void()> task) {
        std::lock_guard lock(mutex);
        if (stopping) {
            return;
        }
        if (!started) {
            started = true;
            // The thread keeps the core alive, so it may outlive the player at exit.
            std::thread([self = shared_from_this()] { self->run(); }).detach();
        }
        tasks.push_back(std::move(task));
        wake.notify_one();
    }

    void run() {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return stopping || !tasks.empty(); });
                if (stopping) {
                    break;
                }
                task = std::move(tasks.front());
                tasks.pop_front();
            }
            task();
        }
        closeContext();
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_all();
    }

    void markFinished(uint32_t playID) {
        std::shared_ptr<Voice::State> voice;
        {
            std::lock_guard lock(playsMutex);
            const auto found = plays.find(playID);
            if (found == plays.end()) {
                return;
            }
            voice = found->second.lock();
            plays.erase(found);
        }
        if (voice && voice->currentPlayID.load() == playID) {
            voice->playing.store(false);
        }
    }

    // Worker only: loads the library and opens the context once.
    bool ensureOpen();
    void closeContext();
    void play(const std::shared_ptr<Voice::State>& voice, uint32_t playID);
    void cancel(uint32_t playID);
};

#ifdef ORRIS_HAVE_CANBERRA

namespace {

void onPlayFinished(ca_context*, uint32_t playID, int, void* userdata) {
    static_cast<EventSoundPlayer::Core*>(userdata)->markFinished(playID);
}

template <typename Function> bool resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

// Not an error for the user: without sounds the copies are silent.
void logUnavailable(const AppError& error) {
    qCInfo(lcUi).noquote() << "Open event sounds failed error=" + AppLog::errorSummary(error);
}

} // namespace

bool EventSoundPlayer::Core::ensureOpen() {
    if (context != nullptr) {
        return true;
    }
    if (availability.load() == Availability::unavailable) {
        return false;
    }
    // Never closed: canberra's drivers may keep threads and caches for the life of the process.
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    const bool resolved = handle != nullptr && resolve(handle, "ca_context_create", api.contextCreate) &&
                          resolve(handle, "ca_context_destroy", api.contextDestroy) &&
                          resolve(handle, "ca_context_open", api.contextOpen) &&
                          resolve(handle, "ca_context_change_props_full", api.changeProps) &&
                          resolve(handle, "ca_context_play_full", api.playFull) &&
                          resolve(handle, "ca_context_cancel", api.cancel) &&
                          resolve(handle, "ca_proplist_create", api.proplistCreate) &&
                          resolve(handle, "ca_proplist_destroy", api.proplistDestroy) &&
                          resolve(handle, "ca_proplist_sets", api.proplistSets);
    if (!resolved) {
        logUnavailable(AppError::make(QStringLiteral("LibraryLoadError"), QStringLiteral("dlopen"), 0));
        availability.store(Availability::unavailable);
        return false;
    }
    ca_context* created = nullptr;
    int status = api.contextCreate(&created);
    if (status == CA_SUCCESS) {
        ca_proplist* properties = nullptr;
        if (api.proplistCreate(&properties) == CA_SUCCESS) {
            api.proplistSets(properties, CA_PROP_APPLICATION_NAME, "Orris Hollows");
            api.proplistSets(properties, CA_PROP_APPLICATION_ID, "app.orris-hollows");
            api.changeProps(created, properties);
            api.proplistDestroy(properties);
        }
        status = api.contextOpen(created);
    }
    if (status != CA_SUCCESS) {
        if (created != nullptr) {
            api.contextDestroy(created);
        }
        logUnavailable(AppError::make(QStringLiteral("CanberraError"), QStringLiteral("canberra"), status));
        availability.store(Availability::unavailable);
        return false;
    }
    context = created;
    availability.store(Availability::available);
    return true;
}

void EventSoundPlayer::Core::closeContext() {
    if (context != nullptr) {
        // Delivers the finish callbacks of the plays still in flight.
        api.contextDestroy(context);
        context = nullptr;
    }
}

void EventSoundPlayer::Core::play(const std::shared_ptr<Voice::State>& voice, uint32_t playID) {
    int status = CA_ERROR_STATE;
    if (availability.load() != Availability::unavailable && ensureOpen()) {
        ca_proplist* properties = nullptr;
        status = api.proplistCreate(&properties);
        if (status == CA_SUCCESS) {
            api.proplistSets(properties, CA_PROP_EVENT_ID, voice->eventID.c_str());
            api.proplistSets(properties, CA_PROP_EVENT_DESCRIPTION, "Prompt copied");
            // Played from the file each time, so that cancelling and the end of the sound are reported.
            api.proplistSets(properties, CA_PROP_CANBERRA_CACHE_CONTROL, "volatile");
            {
                std::lock_guard lock(playsMutex);
                plays[playID] = voice;
            }
            status = api.playFull(context, playID, properties, onPlayFinished, this);
            api.proplistDestroy(properties);
        }
    }
    if (status == CA_SUCCESS) {
        anyPlayStarted = true;
        return;
    }
    // A failed play gets no callback.
    markFinished(playID);
    if (voice->currentPlayID.load() == playID) {
        voice->playing.store(false);
    }
    if (context != nullptr && !anyPlayStarted && ++failedPlays == failedPlaysBeforeGivingUp) {
        qCInfo(lcUi).noquote() << "Play event sound failed attempts=" + QString::number(failedPlays) + " error=" +
                                      AppLog::errorSummary(AppError::make(QStringLiteral("CanberraError"),
                                                                          QStringLiteral("canberra"), status));
        availability.store(Availability::unavailable);
    }
}

void EventSoundPlayer::Core::cancel(uint32_t playID) {
    if (context != nullptr) {
        api.cancel(context, playID);
    }
}

#else

bool EventSoundPlayer::Core::ensureOpen() {
    availability.store(Availability::unavailable);
    return false;
}

void EventSoundPlayer::Core::closeContext() {}

void EventSoundPlayer::Core::play(const std::shared_ptr<Voice::State>& voice, uint32_t playID) {
    ensureOpen();
    if (voice->currentPlayID.load() == playID) {
        voice->playing.store(false);
    }
}

void EventSoundPlayer::Core::cancel(uint32_t) {}

#endif

EventSoundPlayer::Voice::Voice(std::shared_ptr<State> state) : m_state(std::move(state)) {}

EventSoundPlayer::Voice::~Voice() {
    stop();
}

bool EventSoundPlayer::Voice::play() {
    const std::shared_ptr<Core>& core = m_state->core;
    if (core->availability.load() == Availability::unavailable) {
        m_state->playing.store(false);
        return false;
    }
    const uint32_t previous = m_state->currentPlayID.load();
    const uint32_t playID = core->nextPlayID.fetch_add(1);
    m_state->currentPlayID.store(playID);
    m_state->playing.store(true);
    core->enqueue([core, state = m_state, previous, playID] {
        if (previous != 0) {
            core->cancel(previous);
        }
        core->play(state, playID);
    });
    return true;
}

void EventSoundPlayer::Voice::stop() {
    const uint32_t previous = m_state->currentPlayID.exchange(0);
    m_state->playing.store(false);
    if (previous != 0) {
        const std::shared_ptr<Core>& core = m_state->core;
        core->enqueue([core, previous] { core->cancel(previous); });
    }
}

bool EventSoundPlayer::Voice::isPlaying() const {
    return m_state->playing.load();
}

std::shared_ptr<EventSoundPlayer> EventSoundPlayer::shared() {
    static const std::shared_ptr<EventSoundPlayer> player = std::make_shared<EventSoundPlayer>();
    return player;
}

EventSoundPlayer::EventSoundPlayer(std::string library) : m_core(std::make_shared<Core>(std::move(library))) {}

EventSoundPlayer::~EventSoundPlayer() {
    std::unique_lock lock(m_core->mutex);
    m_core->stopping = true;
    m_core->tasks.clear();
    m_core->wake.notify_all();
    if (m_core->started) {
        m_core->finished.wait_for(lock, shutdownWait, [this] { return m_core->done; });
    }
}

EventSoundPlayer::Availability EventSoundPlayer::availability() const {
    return m_core->availability.load();
}

std::unique_ptr<EventSoundPlayer::Voice> EventSoundPlayer::makeVoice(const QString& eventID) {
    if (m_core->availability.load() == Availability::unavailable || eventID.isEmpty()) {
        return nullptr;
    }
    auto state = std::make_shared<Voice::State>();
    state->core = m_core;
    state->eventID = eventID.toStdString();
    return std::unique_ptr<Voice>(new Voice(std::move(state)));
}
