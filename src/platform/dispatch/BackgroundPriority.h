#pragma once
// Work that may wait for the user: a thread marked so runs at a lower scheduling priority
// (nice 10 more than before, at most 19), and so do the threads it then starts, so that what the
// user watches (the preview playing) keeps its pace on a machine with few cores. Alone on the
// machine it runs as fast.

// Lowers the calling thread's priority; for threads that end with their work (the priority of
// a pooled thread could not be raised again without privileges).
void runAtBackgroundPriority();
