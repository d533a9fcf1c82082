#pragma once

// SIGTERM, SIGINT and SIGHUP (the terminal closed, the session ended) end the program the way
// closing its window does: the event loop is left, the window ends its run (closed row, capture,
// queue, plant link), and only then is the process ended by the same signal, so whoever started
// it sees the usual status (143, 130, 129). A signal the program was started with ignored (nohup,
// a background job) stays ignored. A signal handler may do almost nothing, so it only writes a
// byte to a pipe that the event loop watches (the self-pipe pattern). Where there is no such
// pipe (Windows), the handler only sets a flag that the event loop looks at five times a second,
// which still ends a console's Ctrl+C cleanly; the session's end reaches the program through Qt.
//
// The display going away (the X server ended or its connection broken) makes Qt's platform
// plugin call exit() from inside the event loop, so neither the loop's end nor the window's
// destructor comes. A function run at exit() therefore tells the application it is about to
// quit (aboutToQuit) when exit() is called while the event loop still runs, so that the window
// ends its run there the same way. Both programs of the package (laser-host, laser-fleet) use it.
//
// A signal that comes while a box is open (a nested event loop, also one in the window's
// constructor, before the main loop runs) ends that loop, and every loop started after it, the
// main loop included, until the program is out: none of them can keep it running.
//
// A write to a pipe whose reader is gone (standard error piped to a program that has ended,
// `| head`) would end the process by SIGPIPE, with no clean end; SIGPIPE is ignored, so the write
// only fails. A standard stream closed at the start (`2>&-`) would lend its number to the next
// file or socket opened, the display's connection first: every notice written to standard error
// would then go into the X protocol and hang the window before it shows, deaf to every signal.
// Such a stream is opened on the null device instead. guardStandardStreams() does both at once,
// before anything can open or write (the constructor ignores SIGPIPE too).
void guardStandardStreams();

class SignalExit {
public:
    // After the application object, before the window.
    SignalExit();
    // After the window: ends the process by the signal that was caught, if any.
    ~SignalExit();
    SignalExit(const SignalExit &) = delete;
    SignalExit &operator=(const SignalExit &) = delete;
};
