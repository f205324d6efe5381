#pragma once

class QThreadPool;

// The pool of the app's own background work: loading, parsing an import, hashing, detecting the
// context, giving memory back. Qt's global pool is left to the raster engine, which splits the
// fills of a frame over it and waits for them: a frame must never queue behind a load.
namespace BackgroundWork {

QThreadPool* pool();

// Keeps Qt's global pool (the fills of a frame) to one thread: a fill split over many threads
// wakes each of them, and a frame of the panel is too small to gain from that. Idle threads of
// every pool end after Qt's own timeout: with threads ending a second after their work, one is
// often ending when a process forks, and the child inherits any lock it held at that moment.
// Called once at startup, on the main thread.
void configureFramePool();

} // namespace BackgroundWork
