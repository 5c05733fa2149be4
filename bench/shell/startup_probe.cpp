// The editor's own start-up, reporting to the benchmark through file descriptor 3: "paint" writes
// one byte when the main window is first painted; "connected" writes the resident memory in
// kilobytes once the device (KESMO_PORTS) has been read.
#include "controls/FontStatic.h"
#include "devicelink/LinkState.h"
#include "shell/DialogSeam.h"
#include "shell/KesmoApp.h"
#include "shell/KesmoDlg.h"
#include "shell/Show_Dlg.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr int kReport = 3;

// The report is whole once the descriptor closes.
void report(const std::string& text) {
    const ssize_t written = ::write(kReport, text.data(), text.size());
    (void)written;
    ::close(kReport);
}

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Nobody reads the probe's message boxes.
class SilentDialogs final : public kesmo::DialogSeam {
public:
    void message(QWidget*, const QString&, const QString&) override {}
    std::optional<QString> openFile(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFile(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
};

class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            report("painted");
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    bool m_done = false;
};

} // namespace

int main(int argc, char** argv) {
    const bool paintOnly = argc > 1 && std::strcmp(argv[1], "paint") == 0;
    SilentDialogs silent;
    kesmo::setDialogSeam(&silent);
    kesmo::KesmoApp app(argc, argv);
    kesmo::KesmoDlg& window = app.window();
    FirstPaint firstPaint;
    if (paintOnly) {
        window.installEventFilter(&firstPaint);
    } else {
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, &window, [&window] {
            const bool read =
                kesmo::linkState().connected != 0 &&
                window.progress()->face() == kesmo::Show_Dlg::Face::Hidden &&
                window.control<kesmo::FontStatic>(3830)->text() != QStringLiteral("Off Line");
            if (!read)
                return;
            report(std::to_string(residentKilobytes()));
            QCoreApplication::quit();
        });
        poll->start(20);
    }
    return app.exec();
}
