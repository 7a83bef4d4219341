// Sleeping until the person does something: the window thread waits on the
// display's connection rather than waking every few milliseconds to look.
#pragma once

#include <chrono>

// Sleeps until an event may be waiting to be pumped, or `timeout` has
// passed, whichever comes first; returns at once when events already wait.
// Where the display's connection cannot be watched, sleeps a few
// milliseconds at most, so that events are still pumped often.
void waitForEvents(std::chrono::nanoseconds timeout);
