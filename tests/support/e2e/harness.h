#pragma once

// The driver of the real program on a real X display, as a person at the screen would use it:
// it starts the simulator and the program on a virtual /dev/ttyUSB0, clicks with xdotool, takes
// screenshots with `import` and reads colours and texts from the pixels. Used by the end-to-end
// tests and the whole-program benchmarks; one class a file, all of them here.
#include "support/e2e/clock.h"
#include "support/e2e/driver.h"
#include "support/e2e/form_map.h"
#include "support/e2e/lamp.h"
#include "support/e2e/own_display.h"
#include "support/e2e/paths.h"
#include "support/e2e/program.h"
#include "support/e2e/screen.h"
#include "support/e2e/session.h"
#include "support/e2e/simulator.h"
#include "support/e2e/work_dir.h"
