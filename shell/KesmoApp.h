#pragma once

#include <memory>

class QApplication;

namespace kesmo {

class BandSets;
class KesmoDlg;

// The application: starts the platform layers and the model, builds the main window and runs
// it until the user closes it; the device link stops before anything it uses goes.
class KesmoApp final {
public:
    KesmoApp(int& argc, char** argv);
    ~KesmoApp();
    KesmoApp(const KesmoApp&) = delete;
    KesmoApp& operator=(const KesmoApp&) = delete;

    KesmoDlg& window() { return *m_window; }
    // Shows the window and runs until it is closed.
    int exec();

private:
    std::unique_ptr<QApplication> m_application;
    std::unique_ptr<BandSets> m_bands;
    std::unique_ptr<KesmoDlg> m_window;
};

} // namespace kesmo
