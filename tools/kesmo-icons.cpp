#include "resources/Skin.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

// Writes the program icon, drawn by the skin at each of its sizes, as the PNGs of a hicolor
// icon theme: OUTDIR/<N>x<N>/apps/kesmo.png.
int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "Usage: kesmo-icons OUTDIR\n");
        return 2;
    }
    const QIcon& icon = kesmo::programIcon();
    for (const QSize size : icon.availableSizes()) {
        const QString folder =
            QStringLiteral("%1/%2x%3/apps").arg(args[1]).arg(size.width()).arg(size.height());
        const QString file = folder + QStringLiteral("/kesmo.png");
        const QPixmap pixmap = icon.pixmap(size);
        if (pixmap.size() != size || !QDir().mkpath(folder) || !pixmap.save(file, "PNG")) {
            std::fprintf(stderr, "kesmo-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
