#include "resources/Skin.h"

#include "resources/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace kesmo {

namespace {

using Painter = void (*)(QPainter&, QSize, int id);

struct BitmapEntry {
    int id;
    QSize size;
    Painter paint;
};

// Deterministic noise, so every run draws the same skin.
class Noise final {
public:
    explicit Noise(quint32 seed) : m_state(seed * 2654435761u + 1u) {}
    // Uniform in -0.5 .. 0.5.
    double next() {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<double>(m_state >> 8) / static_cast<double>(1u << 24) - 0.5;
    }

private:
    quint32 m_state;
};

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

int clampByte(double v) {
    return std::clamp(static_cast<int>(std::lround(v)), 0, 255);
}

// A vertical gradient with horizontal brush streaks, the look of machined aluminium.
QImage brushedMetal(QSize size, const QColor& top, const QColor& bottom, double amplitude,
                    quint32 seed) {
    QImage image(size, QImage::Format_RGB32);
    Noise noise(seed);
    const int h = std::max(1, size.height() - 1);
    for (int y = 0; y < size.height(); ++y) {
        const QColor base = mix(top, bottom, static_cast<double>(y) / h);
        const double row = noise.next() * amplitude;
        double streak = 0.0;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            streak = streak * 0.96 + noise.next() * amplitude * 0.35;
            const double d = row + streak;
            line[x] = qRgb(clampByte(base.red() + d), clampByte(base.green() + d),
                           clampByte(base.blue() + d));
        }
    }
    return image;
}

QFont skinFont(int pixelSize, bool bold = false) {
    QFont font;
    font.setFamilies(
        QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    // Grey-scale edges: the bitmaps must not depend on the screen they are first drawn for.
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    return font;
}

// A raised, rounded face with a one-pixel bevel: buttons and thumbs.
void bevelFace(QPainter& p, const QRectF& r, double radius, const QColor& top, const QColor& bottom,
               const QColor& border) {
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0.0, top);
    fill.setColorAt(1.0, bottom);
    p.setPen(QPen(border, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 110), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1, radius - 1);
}

// A recessed slot cut into a panel.
void groove(QPainter& p, const QRectF& r, const QColor& floor) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    const double radius = std::min(r.width(), r.height()) / 2;
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    p.setBrush(floor);
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 60), 1.0));
    p.drawLine(QPointF(r.left() + 2, r.bottom() + 1.5), QPointF(r.right() - 2, r.bottom() + 1.5));
}

// Turns an anti-aliased drawing on transparency into a key-coloured bitmap: the soft edge is
// blended onto the colour the thumb will sit on, so no fringe of the key colour remains.
QPixmap keyed(const QImage& art, const QColor& underlay) {
    QImage out(art.size(), QImage::Format_RGB32);
    for (int y = 0; y < art.height(); ++y) {
        for (int x = 0; x < art.width(); ++x) {
            const QColor c = art.pixelColor(x, y);
            if (c.alpha() < 96) {
                out.setPixel(x, y, kSkinKeyColour);
            } else {
                out.setPixelColor(x, y, mix(underlay, QColor(c.rgb()), c.alphaF()));
            }
        }
    }
    return QPixmap::fromImage(out);
}

void paintTopBarThumb(QPainter& p, QSize s, int) {
    p.fillRect(QRect(QPoint(0, 0), s), QColor(kTopBarColour));
    const QRectF r(0, 0, s.width(), s.height());
    bevelFace(p, r.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, QColor(232, 234, 238),
              QColor(140, 144, 150), QColor(20, 20, 22));
    p.setPen(QPen(QColor(40, 40, 44), 1.4));
    p.drawLine(QPointF(s.width() / 2.0, 3), QPointF(s.width() / 2.0, s.height() - 3));
}

void paintTopBarChannel(QPainter& p, QSize s, int id) {
    p.fillRect(QRect(QPoint(0, 0), s), QColor(kTopBarColour));
    const double mid = s.height() / 2.0;
    const QRectF slot(4, mid - 2, s.width() - 8, 4);
    groove(p, slot, QColor(8, 9, 10));
    if (id == bitmap::kTopBarActiveChannel) {
        QLinearGradient glow(slot.topLeft(), slot.bottomLeft());
        glow.setColorAt(0.0, QColor(255, 190, 110));
        glow.setColorAt(1.0, QColor(kAccentColour).darker(130));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawRoundedRect(slot.adjusted(0.5, 0.5, -0.5, -0.5), 1.5, 1.5);
    }
}

void paintStripThumb(QPainter& p, QSize s, int) {
    QImage art(s, QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);
    {
        QPainter a(&art);
        a.setRenderHint(QPainter::Antialiasing);
        const QRectF r(0.5, 0.5, s.width() - 1.0, s.height() - 1.0);
        QLinearGradient fill(r.topLeft(), r.bottomLeft());
        fill.setColorAt(0.0, QColor(92, 96, 104));
        fill.setColorAt(0.45, QColor(44, 46, 51));
        fill.setColorAt(0.55, QColor(30, 32, 36));
        fill.setColorAt(1.0, QColor(70, 74, 80));
        a.setPen(QPen(QColor(10, 10, 12), 1.0));
        a.setBrush(fill);
        a.drawRoundedRect(r, 2.5, 2.5);
        a.setPen(QPen(QColor(255, 255, 255, 70), 1.0));
        a.drawLine(QPointF(2.5, 1.5), QPointF(s.width() - 2.5, 1.5));
        a.setPen(QPen(QColor(kAccentColour), 1.6));
        a.drawLine(QPointF(2.5, s.height() / 2.0), QPointF(s.width() - 2.5, s.height() / 2.0));
    }
    p.drawPixmap(0, 0, keyed(art, QColor(kPageColour)));
}

// Gain codes 0..180 are -24..+12 dB; the scale follows the thumb travel of the strip.
void paintStripChannel(QPainter& p, QSize s, int) {
    p.drawImage(0, 0,
                brushedMetal(s, QColor(kPageColour).lighter(104), QColor(kPageColour), 6.0, 138));
    constexpr int kTravelTop = 1 + 17 / 2; // top margin + half the thumb
    const int travelBottom = s.height() - 2 - 17 / 2;
    const double slotX = 18 + 15 / 2.0;
    groove(p, QRectF(slotX - 2, kTravelTop - 3, 4, travelBottom - kTravelTop + 6),
           QColor(26, 28, 31));
    p.setFont(skinFont(7));
    const auto yOfDb = [&](double db) {
        return kTravelTop + (12.0 - db) / 36.0 * (travelBottom - kTravelTop);
    };
    for (int db = 12; db >= -24; db -= 3) {
        const double y = yOfDb(db);
        const bool major = db % 12 == 0;
        p.setPen(QPen(QColor(60, 63, 68), major ? 1.0 : 0.8));
        p.drawLine(QPointF(major ? 12 : 14, y), QPointF(17, y));
        p.drawLine(QPointF(s.width() - 4, y), QPointF(s.width() - (major ? 1 : 2), y));
        if (major) {
            p.setPen(db == 0 ? QColor(196, 90, 0) : QColor(40, 42, 46));
            p.drawText(QRectF(0, y - 5, 13, 10), Qt::AlignRight | Qt::AlignVCenter,
                       db > 0 ? QStringLiteral("+%1").arg(db).left(3) : QString::number(db));
        }
    }
}

void paintSliderThumb(QPainter& p, QSize s, int) {
    p.fillRect(QRect(QPoint(0, 0), s), QColor(kPageColour));
    const QRectF r = QRectF(0, 0, s.width(), s.height()).adjusted(1.5, 1.5, -1.5, -1.5);
    QRadialGradient shade(r.center() - QPointF(2, 2), r.width());
    shade.setColorAt(0.0, QColor(250, 250, 252));
    shade.setColorAt(1.0, QColor(170, 174, 180));
    p.setBrush(shade);
    p.setPen(QPen(QColor(96, 100, 106), 2.2));
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 160), 1.0));
    p.drawEllipse(r.adjusted(2, 2, -2, -2));
}

void paintSliderChannel(QPainter& p, QSize s, int id) {
    p.fillRect(QRect(QPoint(0, 0), s), QColor(kPageColour));
    const bool lit = id == bitmap::kSliderActiveChannel;
    const double mid = s.height() / 2.0;
    const QRectF line(1, mid - 1.5, s.width() - 2, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(lit ? QColor(kAccentColour) : QColor(0, 0, 0));
    p.drawRoundedRect(line, 1.5, 1.5);
    p.setBrush(lit ? QColor(255, 200, 140, 150) : QColor(255, 255, 255, 90));
    p.drawRect(QRectF(2, mid + 2, s.width() - 4, 1));
}

void paintButton(QPainter& p, QSize s, int id) {
    p.fillRect(QRect(QPoint(0, 0), s), QColor(kPageColour));
    const QRectF r(0, 0, s.width(), s.height());
    if (id == bitmap::kButtonDown || id == bitmap::kSelectorDown) {
        bevelFace(p, r, 3.5, QColor(255, 196, 120), QColor(232, 118, 16), QColor(120, 58, 0));
    } else {
        bevelFace(p, r, 3.5, QColor(252, 252, 253), QColor(196, 200, 206), QColor(110, 114, 120));
    }
    if (id == bitmap::kSelectorDown || id == bitmap::kSelectorUp) {
        const bool on = id == bitmap::kSelectorDown;
        const QPointF led(8, s.height() / 2.0);
        QRadialGradient glow(led, 4);
        glow.setColorAt(0.0, on ? QColor(255, 255, 200) : QColor(150, 150, 150));
        glow.setColorAt(1.0, on ? QColor(255, 80, 0) : QColor(90, 92, 96));
        p.setPen(QPen(QColor(40, 40, 40, 160), 0.8));
        p.setBrush(glow);
        p.drawEllipse(led, 3.2, 3.2);
    }
}

void paintSign(QPainter& p, QSize s, int id) {
    p.fillRect(QRect(QPoint(0, 0), s), QColor(kPageColour));
    const QRectF r(0, 0, s.width(), s.height());
    const bool minus = id == bitmap::kSignMinus;
    if (minus) {
        bevelFace(p, r, 3.0, QColor(255, 196, 120), QColor(232, 118, 16), QColor(120, 58, 0));
    } else {
        bevelFace(p, r, 3.0, QColor(252, 252, 253), QColor(196, 200, 206), QColor(110, 114, 120));
    }
    const QPointF c = r.center();
    const double arm = s.width() * 0.28;
    p.setPen(QPen(minus ? QColor(70, 20, 0) : QColor(30, 32, 36), 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(c.x() - arm, c.y()), QPointF(c.x() + arm, c.y()));
    if (!minus) {
        p.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() + arm));
    }
}

void paintMainBackground(QPainter& p, QSize s, int) {
    p.drawImage(0, 0, brushedMetal(s, QColor(58, 62, 68), QColor(30, 32, 36), 7.0, 167));
    // The top bar the volume controls sit on: a flat inset strip.
    const QRectF bar(0, 0, s.width(), 27);
    QLinearGradient edge(bar.topLeft(), bar.bottomLeft());
    p.fillRect(bar, QColor(kTopBarColour));
    p.setPen(QPen(QColor(0, 0, 0, 200), 1.0));
    p.drawLine(QPointF(0, 27.5), QPointF(s.width(), 27.5));
    p.setPen(QPen(QColor(255, 255, 255, 40), 1.0));
    p.drawLine(QPointF(0, 28.5), QPointF(s.width(), 28.5));
    p.setPen(QPen(QColor(kAccentColour), 1.0));
    p.drawLine(QPointF(0, 0.5), QPointF(s.width(), 0.5));
    p.setPen(QPen(QColor(255, 255, 255, 30), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, s.width() - 1.0, s.height() - 1.0));
}

void paintTopBarButton(QPainter& p, QSize s, int) {
    p.fillRect(QRect(QPoint(0, 0), s), QColor(kTopBarColour));
    bevelFace(p, QRectF(0, 0, s.width(), s.height()), 3.5, QColor(86, 92, 102), QColor(34, 37, 42),
              QColor(6, 6, 8));
    p.setPen(QPen(QColor(kAccentColour), 1.0));
    p.drawLine(QPointF(4, s.height() - 2.5), QPointF(s.width() - 4, s.height() - 2.5));
}

void paintMute(QPainter& p, QSize s, int id) {
    p.fillRect(QRect(QPoint(0, 0), s), QColor(kTopBarColour));
    const bool muted = id == bitmap::kMuteOn;
    const QRectF r(0, 0, s.width(), s.height());
    bevelFace(p, r, 2.5, muted ? QColor(230, 60, 40) : QColor(86, 92, 102),
              muted ? QColor(140, 20, 10) : QColor(34, 37, 42), QColor(6, 6, 8));
    const double w = s.width();
    const double h = s.height();
    QPainterPath speaker;
    speaker.moveTo(w * 0.18, h * 0.40);
    speaker.lineTo(w * 0.32, h * 0.40);
    speaker.lineTo(w * 0.52, h * 0.22);
    speaker.lineTo(w * 0.52, h * 0.78);
    speaker.lineTo(w * 0.32, h * 0.60);
    speaker.lineTo(w * 0.18, h * 0.60);
    speaker.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 242, 245));
    p.drawPath(speaker);
    p.setPen(QPen(QColor(240, 242, 245), 1.2, Qt::SolidLine, Qt::RoundCap));
    if (muted) {
        p.drawLine(QPointF(w * 0.62, h * 0.36), QPointF(w * 0.84, h * 0.64));
        p.drawLine(QPointF(w * 0.62, h * 0.64), QPointF(w * 0.84, h * 0.36));
    } else {
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(w * 0.36, h * 0.30, w * 0.34, h * 0.40), -50 * 16, 100 * 16);
        p.drawArc(QRectF(w * 0.30, h * 0.18, w * 0.52, h * 0.64), -50 * 16, 100 * 16);
    }
}

// The meters of the System page, in dialog units of its template: x of each column, top,
// width, height. The picture is drawn at pixel (5, 6) of the page.
constexpr std::array<int, 12> kMeterX{29, 66, 103, 140, 198, 231, 264, 297, 330, 363, 396, 429};
constexpr int kMeterTop = 19;
constexpr int kMeterWidth = 10;
constexpr int kMeterHeight = 151;
constexpr QPoint kMeterPictureOrigin{5, 6};

void paintMeters(QPainter& p, QSize s, int id) {
    const bool chinese = id == bitmap::kMetersChinese;
    p.drawImage(0, 0, brushedMetal(s, QColor(52, 56, 62), QColor(28, 30, 34), 6.0, 170));
    p.setPen(QPen(QColor(0, 0, 0, 220), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, s.width() - 1.0, s.height() - 1.0), 5, 5);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1.0));
    p.drawRoundedRect(QRectF(1.5, 1.5, s.width() - 3.0, s.height() - 3.0), 4, 4);

    const DialogUnits du(dialogFont(QStringLiteral("Arial"), 9));
    const int top = du.toPixelsY(kMeterTop) - kMeterPictureOrigin.y();
    const int height = du.toPixelsY(kMeterHeight);
    const int width = du.toPixelsX(kMeterWidth);
    const int segment = height / 17;
    // Centre row of segment i as the level meter lays it out.
    const auto segmentCentre = [&](int i) {
        return top + height - i * segment - (segment - 6) / 2.0 - 0.5;
    };

    static const std::array<const char*, 12> kEnglish{
        "Music L", "Music R", "Mic A",  "Mic B",  "Main L",     "Main R",
        "Center",  "SUB",     "Rear L", "Rear R", "Surround L", "Surround R"};
    static const std::array<const char*, 12> kChinese{"音乐左", "音乐右", "话筒A",  "话筒B",
                                                      "主左",   "主右",   "中置",   "超低音",
                                                      "后左",   "后右",   "环绕左", "环绕右"};

    const QFont scaleFont = skinFont(9);
    const QFont nameFont = skinFont(11, true);
    const QColor text(214, 218, 224);
    for (std::size_t m = 0; m < kMeterX.size(); ++m) {
        const int x = du.toPixelsX(kMeterX[m]) - kMeterPictureOrigin.x();
        const bool input = m < 4;
        groove(p, QRectF(x - 2, top - 2, width + 4, height + 4), QColor(10, 11, 12));
        p.setFont(scaleFont);
        for (int i = 0; i < 16; ++i) {
            const double y = segmentCentre(i);
            const int level = input ? -45 + 3 * i : -33 + 3 * i;
            const bool zero = level == 0;
            p.setPen(QPen(QColor(150, 156, 164), 1.0));
            p.drawLine(QPointF(x - 6, y), QPointF(x - 3, y));
            p.setPen(zero ? QColor(kAccentColour) : text);
            const QString label =
                level > 0 ? QStringLiteral("+%1").arg(level) : QString::number(level);
            p.drawText(QRectF(x - 34, y - 6, 27, 12), Qt::AlignRight | Qt::AlignVCenter, label);
        }
        p.setPen(QColor(255, 214, 0));
        p.drawText(QRectF(x - 34, segmentCentre(16) - 6, 27, 12), Qt::AlignRight | Qt::AlignVCenter,
                   chinese ? QStringLiteral("削波") : QStringLiteral("Clip"));
        p.setPen(QColor(255, 165, 0));
        p.drawText(QRectF(x - 34, segmentCentre(17) - 6, 27, 12), Qt::AlignRight | Qt::AlignVCenter,
                   chinese ? QStringLiteral("压限") : QStringLiteral("Limit"));
        // Names are centred under their meter and shrunk to fit between the neighbours.
        const QString name = QString::fromUtf8(chinese ? kChinese[m] : kEnglish[m]);
        const int room = du.toPixelsX(input ? 37 : 33) - 4;
        QFont fitted = nameFont;
        while (fitted.pixelSize() > 8 && QFontMetrics(fitted).horizontalAdvance(name) > room) {
            fitted.setPixelSize(fitted.pixelSize() - 1);
        }
        p.setFont(fitted);
        p.setPen(text);
        p.drawText(QRectF(x + width / 2.0 - room / 2.0, top + height + 8, room, 16),
                   Qt::AlignCenter, name);
    }

    // Headings over the two blocks, with their units.
    p.setFont(skinFont(11, true));
    p.setPen(QColor(kAccentColour));
    const int inputLeft = du.toPixelsX(kMeterX[0]) - kMeterPictureOrigin.x() - 34;
    const int inputRight = du.toPixelsX(kMeterX[3] + kMeterWidth) - kMeterPictureOrigin.x();
    const int outputLeft = du.toPixelsX(kMeterX[4]) - kMeterPictureOrigin.x() - 34;
    const int outputRight = du.toPixelsX(kMeterX[11] + kMeterWidth) - kMeterPictureOrigin.x();
    p.drawText(QRectF(inputLeft, 6, inputRight - inputLeft, 16), Qt::AlignLeft | Qt::AlignVCenter,
               chinese ? QStringLiteral("输入电平 (dB)") : QStringLiteral("INPUT LEVEL (dB)"));
    p.drawText(QRectF(outputLeft, 6, outputRight - outputLeft, 16),
               Qt::AlignLeft | Qt::AlignVCenter,
               chinese ? QStringLiteral("输出电平 (dBv)") : QStringLiteral("OUTPUT LEVEL (dBv)"));
    const int divider = (inputRight + outputLeft) / 2;
    p.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
    p.drawLine(QPointF(divider + 0.5, 10), QPointF(divider + 0.5, s.height() - 10));
    p.setPen(QPen(QColor(255, 255, 255, 36), 1.0));
    p.drawLine(QPointF(divider + 1.5, 10), QPointF(divider + 1.5, s.height() - 10));
}

const std::array<BitmapEntry, 20> kBitmaps{{
    {bitmap::kTopBarThumb, {11, 19}, paintTopBarThumb},
    {bitmap::kTopBarChannel, {117, 19}, paintTopBarChannel},
    {bitmap::kStripThumb, {15, 17}, paintStripThumb},
    {bitmap::kStripChannel, {38, 123}, paintStripChannel},
    {bitmap::kSliderThumb, {15, 15}, paintSliderThumb},
    {bitmap::kSliderChannel, {175, 15}, paintSliderChannel},
    {bitmap::kButtonUp, {64, 22}, paintButton},
    {bitmap::kButtonDown, {64, 22}, paintButton},
    {bitmap::kSliderActiveChannel, {175, 15}, paintSliderChannel},
    {bitmap::kSelectorDown, {88, 25}, paintButton},
    {bitmap::kSelectorUp, {88, 25}, paintButton},
    {bitmap::kSignMinus, {18, 18}, paintSign},
    {bitmap::kSignPlus, {18, 18}, paintSign},
    {bitmap::kMainBackground, {1139, 628}, paintMainBackground},
    {bitmap::kTopBarButton, {88, 25}, paintTopBarButton},
    {bitmap::kTopBarActiveChannel, {117, 19}, paintTopBarChannel},
    {bitmap::kMetersChinese, {811, 344}, paintMeters},
    {bitmap::kMuteOff, {18, 18}, paintMute},
    {bitmap::kMuteOn, {18, 18}, paintMute},
    {bitmap::kMetersEnglish, {811, 344}, paintMeters},
}};

const BitmapEntry* findEntry(int id) {
    const auto it = std::find_if(kBitmaps.begin(), kBitmaps.end(),
                                 [id](const BitmapEntry& e) { return e.id == id; });
    return it == kBitmaps.end() ? nullptr : &*it;
}

// A square drawing on transparency, designed on a grid of `design` units and scaled to `size`.
template <typename Draw> QPixmap scalableArt(int size, double design, Draw draw) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / design, size / design);
    draw(p);
    p.end();
    return QPixmap::fromImage(image);
}

void drawHand(QPainter& p) {
    QPainterPath hand;
    hand.addRoundedRect(QRectF(9, 1, 5, 17), 2.5, 2.5);      // index finger
    hand.addRoundedRect(QRectF(13.5, 9, 4.5, 10), 2.2, 2.2); // middle
    hand.addRoundedRect(QRectF(17.5, 10, 4.5, 10), 2.2, 2.2);
    hand.addRoundedRect(QRectF(21.5, 11.5, 4, 9), 2, 2);
    hand.addRoundedRect(QRectF(9, 14, 16.5, 13), 4, 4); // palm
    QPainterPath thumb;
    thumb.moveTo(10, 22);
    thumb.lineTo(5, 16.5);
    thumb.cubicTo(3, 14.5, 5.5, 12.5, 7.5, 14.5);
    thumb.lineTo(11, 18);
    thumb.closeSubpath();
    hand = hand.united(thumb).simplified();
    p.setPen(QPen(Qt::black, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(QColor(0, 0, 0, 150), 0.9));
    p.drawLine(QPointF(13.8, 15), QPointF(13.8, 18.5));
    p.drawLine(QPointF(17.8, 15), QPointF(17.8, 19));
    p.drawLine(QPointF(21.8, 15.5), QPointF(21.8, 19.5));
}

void drawIcon(QPainter& p) {
    const QRectF body(2, 2, 60, 60);
    QLinearGradient metal(body.topLeft(), body.bottomLeft());
    metal.setColorAt(0.0, QColor(84, 90, 100));
    metal.setColorAt(1.0, QColor(22, 24, 28));
    p.setPen(QPen(QColor(0, 0, 0), 2.0));
    p.setBrush(metal);
    p.drawRoundedRect(body, 12, 12);
    // Three faders, the middle one up, and an orange response curve across them.
    for (int i = 0; i < 3; ++i) {
        const double x = 17 + 15 * i;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(8, 8, 10));
        p.drawRoundedRect(QRectF(x - 2, 12, 4, 40), 2, 2);
        const double y = i == 1 ? 20 : (i == 0 ? 38 : 31);
        p.setBrush(QColor(226, 230, 236));
        p.drawRoundedRect(QRectF(x - 6, y - 3.5, 12, 7), 2, 2);
    }
    QPainterPath curve;
    curve.moveTo(6, 42);
    curve.cubicTo(20, 44, 24, 16, 32, 18);
    curve.cubicTo(40, 20, 44, 34, 58, 30);
    p.setPen(QPen(QColor(kAccentColour), 4.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
}

} // namespace

std::span<const int> skinBitmapIds() {
    static const auto ids = [] {
        std::array<int, kBitmaps.size()> out{};
        std::transform(kBitmaps.begin(), kBitmaps.end(), out.begin(),
                       [](const BitmapEntry& e) { return e.id; });
        std::sort(out.begin(), out.end());
        return out;
    }();
    return ids;
}

QSize skinBitmapSize(int id) {
    const BitmapEntry* entry = findEntry(id);
    return entry ? entry->size : QSize();
}

const QPixmap& skinBitmap(int id) {
    static std::map<int, QPixmap> cache;
    static const QPixmap none;
    const BitmapEntry* entry = findEntry(id);
    if (!entry) {
        return none;
    }
    auto [it, inserted] = cache.try_emplace(id);
    if (inserted) {
        QPixmap pixmap(entry->size);
        pixmap.fill(Qt::black);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        entry->paint(p, entry->size, id);
        p.end();
        it->second = pixmap;
    }
    return it->second;
}

const QCursor& handCursor() {
    static const QCursor cursor(scalableArt(32, 32.0, drawHand), 10, 1);
    return cursor;
}

const QIcon& programIcon() {
    static const QIcon icon = [] {
        QIcon out;
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            out.addPixmap(scalableArt(size, 64.0, drawIcon));
        }
        return out;
    }();
    return icon;
}

} // namespace kesmo
