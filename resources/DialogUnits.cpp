#include "resources/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>
#include <cmath>

namespace kesmo {

namespace {

// a * b / c rounded half away from zero, like the platform's MulDiv.
int mulDiv(int a, int b, int c) {
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

} // namespace

QFont dialogFont(const QString& family, int pointSize) {
    QFont font;
    const bool substitute = family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0 ||
                            family.compare(QLatin1String("System"), Qt::CaseInsensitive) == 0;
    font.setFamilies(QStringList{substitute ? QStringLiteral("Liberation Sans") : family,
                                 QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(mulDiv(pointSize, 96, 72));
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (width / 26 + 1) / 2;
    m_baseY = metrics.height();
}

int DialogUnits::toPixelsX(int du) const {
    return mulDiv(du, m_baseX, 4);
}

int DialogUnits::toPixelsY(int du) const {
    return mulDiv(du, m_baseY, 8);
}

QSize DialogUnits::toPixels(QSize du) const {
    return {toPixelsX(du.width()), toPixelsY(du.height())};
}

QRect DialogUnits::toPixels(const QRect& du) const {
    return {toPixelsX(du.x()), toPixelsY(du.y()), toPixelsX(du.width()), toPixelsY(du.height())};
}

} // namespace kesmo
