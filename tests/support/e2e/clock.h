#pragma once

namespace harness {

// Milliseconds since local midnight, the clock of the simulator's log stamps (a measurement
// across midnight is off by a day).
double wallClockMs();

// Lets the event loop run for `ms`, in slices, while the program in its own process goes on.
void pause(int ms);

// The limit of a wait as a suite states it, stretched threefold. A wait ends as soon as what it
// waits for is seen, so the stretch costs nothing when all is well; on a machine that compiles
// and fuzzes beside the suites it keeps a slow answer from reading as a wrong one.
int patient(int ms);

} // namespace harness
