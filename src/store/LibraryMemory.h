#pragma once

// How the process keeps the memory of the prompt library small over its lifetime. A loaded
// library is tens of thousands of small texts; each reload builds a new one on a loader thread
// beside the old one and then frees the old one.
namespace LibraryMemory {

// Gives large buffers (a file being read, its decoded text) pages of their own that go back to
// the system when freed, instead of heap space that the next library's small texts would share
// and pin. Once, at start, before any library is loaded.
void configureAllocator();

// Hands the free pages of every heap back to the system, off the calling thread; a request made
// while one runs starts another when it ends.
void giveBackFreedMemory();

} // namespace LibraryMemory
