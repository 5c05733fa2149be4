#include "controls/BaseTabCtrl.h"

#include "controls/TabLook.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kesmo {

namespace {
constexpr int kGradientBand = 2;
}

BaseTabCtrl::BaseTabCtrl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::TabFocus);
}

int BaseTabCtrl::addTab(const QString& text) {
    m_tabs.append(text);
    if (m_current < 0)
        m_current = 0;
    update();
    return count() - 1;
}

void BaseTabCtrl::setTabText(int index, const QString& text) {
    if (index < 0 || index >= count())
        return;
    m_tabs[index] = text;
    update();
}

QString BaseTabCtrl::tabText(int index) const {
    return index >= 0 && index < count() ? m_tabs[index] : QString();
}

void BaseTabCtrl::setCurrentIndex(int index) {
    if (index < 0 || index >= count() || index == m_current)
        return;
    m_current = index;
    update();
}

void BaseTabCtrl::userSelect(int index) {
    if (index < 0 || index >= count() || index == m_current)
        return;
    m_current = index;
    update();
    emit selectionChanged(index);
}

QRect BaseTabCtrl::tabRect(int index) const {
    if (index < 0 || index >= count())
        return {};
    const QFontMetrics metrics = fontMetrics();
    int x = kFirstTabX;
    for (int i = 0; i < index; ++i)
        x += metrics.horizontalAdvance(m_tabs[i]) + 2 * kTabPadding;
    const int w = metrics.horizontalAdvance(m_tabs[index]) + 2 * kTabPadding;
    const QRect tab(x, 2, w, kTabRowHeight - 2);
    return index == m_current ? tab.adjusted(-2, -2, 2, 0) : tab;
}

QRect BaseTabCtrl::displayRect() const {
    return QRect(0, kTabRowHeight, width(), height() - kTabRowHeight);
}

void BaseTabCtrl::setBackgroundColour(const QColor& colour) {
    m_background = colour;
    update();
}

void BaseTabCtrl::setDrawMode(int mode) {
    m_drawMode = mode < 0 ? 0 : mode > 2 ? 2 : mode;
    update();
}

int BaseTabCtrl::displayDepth() const {
    return depth();
}

void BaseTabCtrl::drawTab(QPainter& painter, int index, bool selected) const {
    const QRect r = tabRect(index);
    const TabColours c =
        tabColours(selected, itemFlags(), m_background, palette().color(QPalette::Button),
                   palette().color(QPalette::WindowText), displayDepth());
    if (c.gradient) {
        const int bands = (r.height() + kGradientBand - 1) / kGradientBand;
        for (int band = 0; band < bands; ++band) {
            const double t = static_cast<double>(band * kGradientBand) / r.height();
            const auto mix = [t](int from, int to) {
                return from + static_cast<int>((to - from) * t);
            };
            const QColor colour(mix(c.fill.red(), c.gradientEnd.red()),
                                mix(c.fill.green(), c.gradientEnd.green()),
                                mix(c.fill.blue(), c.gradientEnd.blue()));
            painter.fillRect(
                QRect(r.left(), r.top() + band * kGradientBand, r.width(),
                      std::min(kGradientBand, r.bottom() + 1 - r.top() - band * kGradientBand)),
                colour);
        }
    } else {
        painter.fillRect(r, c.fill);
    }
    painter.setPen(c.leftEdge);
    painter.drawLine(r.topLeft(), r.bottomLeft());
    if (c.topEdge)
        painter.drawLine(r.topLeft(), r.topRight());
    painter.setPen(c.rightEdge);
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.setPen(c.text);
    painter.drawText(r.adjusted(3, 0, 0, 0), Qt::AlignCenter | Qt::TextSingleLine, m_tabs[index]);
}

void BaseTabCtrl::drawBorder(QPainter& painter) const {
    const QColor base =
        tabBorderBase(borderFlags(), m_background, palette().color(QPalette::Button));
    const QRect r = displayRect();
    if (r.isEmpty())
        return;
    painter.setPen(scaleColour(base, 1.5));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(scaleColour(base, 0.75));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

void BaseTabCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor strip = m_background.isValid() ? m_background : palette().color(QPalette::Button);
    painter.fillRect(QRect(0, 0, width(), kTabRowHeight), strip);
    for (int i = count() - 1; i >= 0; --i) {
        if (i != m_current)
            drawTab(painter, i, false);
    }
    if (m_current >= 0)
        drawTab(painter, m_current, true);
    drawBorder(painter);
}

void BaseTabCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    // The selected tab overlaps its neighbours, so it is hit first.
    if (tabRect(m_current).contains(at))
        return;
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).contains(at)) {
            userSelect(i);
            return;
        }
    }
}

void BaseTabCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left)
        userSelect(m_current - 1);
    else if (event->key() == Qt::Key_Right)
        userSelect(m_current + 1);
    else
        QWidget::keyPressEvent(event);
}

} // namespace kesmo
