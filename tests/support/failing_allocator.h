// An allocator for the host's tests that fails on purpose: while a count runs, every operator new
// of the test program and every malloc that the program's own code calls (linked with
// -Wl,--wrap=malloc) is counted, and the one with the chosen number fails the way the library
// fails: operator new throws std::bad_alloc, its nothrow forms and malloc answer null. What the
// simulated platform allocates to record a call is not counted.
#pragma once

#include <cstddef>

// Starts counting from 0; the allocation numbered `failAt` (from 1) fails, none with 0.
void StartAllocationCount(size_t failAt);
// Stops counting and answers how many allocations were counted.
size_t StopAllocationCount();
