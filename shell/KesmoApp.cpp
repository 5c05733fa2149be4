#include "shell/KesmoApp.h"

#include "filters/BandSets.h"
#include "model/WorkingModel.h"
#include "platform/Ch9326.h"
#include "resources/Skin.h"
#include "shell/KesmoDlg.h"

#include <QApplication>
#include <QLocale>

namespace kesmo {

int KesmoApp::run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kesmo"));
    QApplication::setWindowIcon(programIcon());
    // A bridge library that cannot start leaves the serial ports usable.
    CH9326DllInt();

    ParamStore& store = paramStore();
    // Registered before the defaults so that initialisation binds every band set.
    BandSets bands(store);
    initialiseModel(store);

    KesmoSetup setup;
    setup.systemLocale = QLocale::system().name().toStdString();
    KesmoDlg window(setup);
    window.show();
    const int result = QApplication::exec();
    window.closeLink();
    return result;
}

} // namespace kesmo
