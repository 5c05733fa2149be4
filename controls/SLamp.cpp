#include "controls/SLamp.h"

#include <QPainter>
#include <algorithm>

namespace kesmo {

namespace {
constexpr int kLitThreshold = 110;
constexpr int kClipCode = 200;
constexpr int kCodesPerSegment = 6;
constexpr int kSegmentGap = 6;
} // namespace

QRect lampSegmentRect(int segment, QSize client) {
    const int h = client.height() / 17;
    const int top = std::max(0, client.height() - (segment + 1) * h + kSegmentGap);
    const int bottom = client.height() - segment * h;
    if (bottom <= top)
        return {};
    return QRect(0, top, client.width(), bottom - top);
}

std::array<bool, kLampBarSegments + 1> litForLevel(int code) {
    std::array<bool, kLampBarSegments + 1> lit{};
    code = std::min(code, kClipCode);
    if (code >= kLitThreshold) {
        const int last = (code - kLitThreshold) / kCodesPerSegment;
        for (int i = 0; i <= last && i < kLampBarSegments; ++i)
            lit[static_cast<std::size_t>(i)] = true;
        lit[kClipLamp] = code == kClipCode;
    }
    return lit;
}

SLamp::SLamp(QWidget* parent) : QWidget(parent) {
    for (int i = 0; i < kLampSegments; ++i) {
        const QRgb colour = i < kLampBarSegments ? kLampBarColour
                            : i == kClipLamp     ? kLampClipColour
                                                 : kLampLimitColour;
        m_segments[static_cast<std::size_t>(i)].colour = QColor::fromRgb(colour);
    }
}

void SLamp::layout() {
    for (int i = 0; i < kLampSegments; ++i)
        m_segments[static_cast<std::size_t>(i)].rect = lampSegmentRect(i, size());
}

void SLamp::setLevel(int code) {
    const auto lit = litForLevel(code);
    bool changed = false;
    for (std::size_t i = 0; i < lit.size(); ++i) {
        changed = changed || m_segments[i].lit != lit[i];
        m_segments[i].lit = lit[i];
    }
    if (changed)
        update();
}

void SLamp::setLimit(int code) {
    const bool lit = code < kClipCode;
    Segment& lamp = m_segments[kLimitLamp];
    if (lamp.lit == lit)
        return;
    lamp.lit = lit;
    update();
}

void SLamp::clear() {
    for (Segment& segment : m_segments)
        segment.lit = false;
    update();
}

bool SLamp::isLit(int segment) const {
    if (segment < 0 || segment >= kLampSegments)
        return false;
    return m_segments[static_cast<std::size_t>(segment)].lit;
}

void SLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(kLampBackground));
    for (const Segment& segment : m_segments) {
        if (segment.lit)
            painter.fillRect(segment.rect, segment.colour);
    }
}

} // namespace kesmo
