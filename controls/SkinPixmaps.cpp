#include "controls/SkinPixmaps.h"

#include "resources/Skin.h"

#include <QImage>
#include <algorithm>

namespace kesmo {

QPixmap skinPixmap(int id) {
    if (id == 0)
        return {};
    return skinBitmap(id);
}

QPixmap keyedPixmap(const QPixmap& pixmap, QColor key, int x, int y) {
    if (pixmap.isNull())
        return pixmap;
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    QRgb keyRgb = key.rgb();
    if (!key.isValid()) {
        const int px = std::clamp(x, 0, image.width() - 1);
        const int py = std::clamp(y, 0, image.height() - 1);
        keyRgb = image.pixel(px, py);
    }
    keyRgb = qRgb(qRed(keyRgb), qGreen(keyRgb), qBlue(keyRgb));
    for (int row = 0; row < image.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = 0; column < image.width(); ++column) {
            if ((line[column] | 0xFF000000u) == keyRgb)
                line[column] = 0;
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace kesmo
