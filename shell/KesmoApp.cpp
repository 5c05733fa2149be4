#include "shell/KesmoApp.h"

#include "filters/BandSets.h"
#include "model/WorkingModel.h"
#include "platform/Ch9326.h"
#include "resources/Skin.h"
#include "shell/KesmoDlg.h"

#include <QApplication>
#include <QLocale>

namespace kesmo {

KesmoApp::KesmoApp(int& argc, char** argv)
    : m_application(std::make_unique<QApplication>(argc, argv)) {
    QApplication::setApplicationName(QStringLiteral("Kesmo"));
    QApplication::setWindowIcon(programIcon());
    // Wayland shells find the menu entry, and so the icon, by this name.
    QApplication::setDesktopFileName(QStringLiteral("kesmo"));
    // A bridge library that cannot start leaves the serial ports usable.
    CH9326DllInt();

    ParamStore& store = paramStore();
    // Registered before the defaults so that initialisation binds every band set.
    m_bands = std::make_unique<BandSets>(store);
    initialiseModel(store);

    KesmoSetup setup;
    setup.systemLocale = QLocale::system().name().toStdString();
    m_window = std::make_unique<KesmoDlg>(setup);
}

KesmoApp::~KesmoApp() {
    // The window stops the link's worker before the band sets and the application go.
    m_window.reset();
    m_bands.reset();
}

int KesmoApp::exec() {
    m_window->show();
    const int result = QApplication::exec();
    m_window->closeLink();
    return result;
}

} // namespace kesmo
