// Sleeping until the person does something: the window thread waits on the
// display's connection rather than waking every few milliseconds to look.
#pragma once

#include <chrono>

// Sleeps until an event may be waiting to be pumped, or `timeout` has
// passed, whichever comes first; returns at once when events already wait.
// Where the display's connection cannot be watched, sleeps a few
// milliseconds at most, so that events are still pumped often.
void waitForEvents(std::chrono::nanoseconds timeout);

// Makes the wait for events under way, or else the next one, return at once;
// safe from any thread. A worker thread calls it when it has something new
// for the window to show.
void wakeEventWait();
