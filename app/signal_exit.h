#pragma once

// SIGTERM and SIGINT end the program the way closing its window does: the event loop is left,
// the window ends its run (closed row, capture, queue, plant link), and only then is the
// process ended by the same signal, so whoever started it sees the usual status (143, 130).
// A signal handler may do almost nothing, so it only writes a byte to a pipe that the event
// loop watches (the self-pipe pattern). Where there is no such pipe (Windows), the handler
// only sets a flag that the event loop looks at five times a second, which still ends a
// console's Ctrl+C cleanly; the session's end reaches the program through Qt. Both programs
// of the package (laser-host, laser-fleet) use it.
class SignalExit {
public:
    // After the application object, before the window.
    SignalExit();
    // After the window: ends the process by the signal that was caught, if any.
    ~SignalExit();
    SignalExit(const SignalExit &) = delete;
    SignalExit &operator=(const SignalExit &) = delete;
};
