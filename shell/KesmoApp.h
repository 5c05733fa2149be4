#pragma once

namespace kesmo {

// The application: starts the platform layers and the model, runs the main window until the
// user closes it, and stops the device link before anything it uses goes.
class KesmoApp final {
public:
    int run(int argc, char** argv);
};

} // namespace kesmo
