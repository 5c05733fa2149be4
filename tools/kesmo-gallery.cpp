#include "tools/kesmo-gallery-window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Every skin bitmap and custom control of Kesmo"));
    parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the gallery as a PNG and exit."),
                                        QStringLiteral("FILE"));
    parser.addOption(screenshot);
    parser.process(app);

    kesmo::GalleryWindow gallery;
    if (parser.isSet(screenshot)) {
        if (!kesmo::saveGalleryScreenshot(gallery, parser.value(screenshot))) {
            std::fprintf(stderr, "kesmo-gallery: cannot write %s\n",
                         qPrintable(parser.value(screenshot)));
            return 1;
        }
        return 0;
    }
    gallery.show();
    return QApplication::exec();
}
