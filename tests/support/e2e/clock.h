#pragma once

namespace harness {

// Milliseconds since local midnight, the clock of the simulator's log stamps (a measurement
// across midnight is off by a day).
double wallClockMs();

// Lets the event loop run for `ms`, in slices, while the program in its own process goes on.
void pause(int ms);

} // namespace harness
