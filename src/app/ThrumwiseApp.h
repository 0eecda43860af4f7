#pragma once

namespace thrumwise {

// The program: refuses to run twice, starts the tray agent and shows the
// main window; the settings window opens on request.
class ThrumwiseApp {
public:
    static int run(int argc, char** argv);
};

}  // namespace thrumwise
