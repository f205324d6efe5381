#pragma once

#include <chrono>

class QThreadPool;

// The pool of the app's own background work: loading, parsing an import, hashing, detecting the
// context, giving memory back. Qt's global pool is left to the raster engine, which splits the
// fills of a frame over it and waits for them: a frame must never queue behind a load.
namespace BackgroundWork {

// How long a thread of either pool waits idle before it ends: long enough to serve a burst of
// keys or a load, short enough that an idle app keeps no threads around.
constexpr std::chrono::milliseconds idleThreadExpiry{1000};

QThreadPool* pool();

// Trims the idle threads of Qt's global pool (the fills of a frame) and keeps them to one: a fill
// split over many threads wakes each of them, and a frame of the panel is too small to gain from
// that. Called once at startup, on the main thread.
void configureFramePool();

} // namespace BackgroundWork
