#include "controls/BitmapSlider.h"

#include "controls/Messaging.h"
#include "controls/SkinPixmaps.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kesmo {

namespace {

int saturate(long long v) {
    return static_cast<int>(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

struct BitmapPair {
    QPixmap normal;
    QPixmap active;
};

// Resolves and validates a normal/active pair; false when their sizes differ.
bool preparePair(const QPixmap& normal, const QPixmap& active, bool transparent, QColor key,
                 int keyX, int keyY, BitmapPair& out) {
    if (!active.isNull() && active.size() != normal.size())
        return false;
    if (key.isValid() && key.rgba() == BitmapSlider::kKeyFromPixel)
        key = QColor();
    out.normal = transparent ? keyedPixmap(normal, key, keyX, keyY) : normal;
    out.active = transparent ? keyedPixmap(active, key, keyX, keyY) : active;
    return true;
}

} // namespace

BitmapSlider::BitmapSlider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    m_trackingTimer.setInterval(kTrackingInterval);
    connect(&m_trackingTimer, &QTimer::timeout, this, &BitmapSlider::trackingTick);
}

void BitmapSlider::setRange(int minimum, int maximum, bool redraw) {
    m_minimum = minimum;
    m_maximum = maximum;
    m_position = minimum;
    if (redraw)
        update();
}

int BitmapSlider::clampToRange(int position) const {
    return std::max(m_minimum, std::min(position, m_maximum));
}

void BitmapSlider::setPos(int position) {
    m_position = clampToRange(position);
    update();
}

void BitmapSlider::setPosInverted(int position) {
    m_position = saturate(static_cast<long long>(m_maximum) + m_minimum - position);
    redrawWithParent();
}

int BitmapSlider::getPosInverted() const {
    return saturate(static_cast<long long>(m_maximum) + m_minimum - m_position);
}

void BitmapSlider::setVertical(bool vertical) {
    m_vertical = vertical;
    update();
}

void BitmapSlider::setMargins(int left, int top, int right, int bottom) {
    m_marginLeft = left;
    m_marginTop = top;
    m_marginRight = right;
    m_marginBottom = bottom;
    update();
}

void BitmapSlider::enable(bool enabled) {
    m_enabled = enabled;
    if (!enabled) {
        m_dragging = false;
        m_changePending = false;
        m_trackingTimer.stop();
        if (mouseGrabber() == this)
            releaseMouse();
    }
    update();
}

void BitmapSlider::setFocusLook(bool focused) {
    if (m_focused == focused)
        return;
    m_focused = focused;
    update();
}

bool BitmapSlider::setChannelBitmaps(int normalId, int activeId, bool transparent, QColor key,
                                     int keyX, int keyY) {
    const QPixmap normal = skinPixmap(normalId);
    const QPixmap active = skinPixmap(activeId);
    if ((normalId != 0 && normal.isNull()) || (activeId != 0 && active.isNull()))
        return false;
    return setChannelPixmaps(normal, active, transparent, key, keyX, keyY);
}

bool BitmapSlider::setThumbBitmaps(int normalId, int activeId, bool transparent, QColor key,
                                   int keyX, int keyY) {
    const QPixmap normal = skinPixmap(normalId);
    const QPixmap active = skinPixmap(activeId);
    if ((normalId != 0 && normal.isNull()) || (activeId != 0 && active.isNull()))
        return false;
    return setThumbPixmaps(normal, active, transparent, key, keyX, keyY);
}

bool BitmapSlider::setChannelPixmaps(const QPixmap& normal, const QPixmap& active, bool transparent,
                                     QColor key, int keyX, int keyY) {
    if (normal.isNull()) {
        m_channel = {};
        m_activeChannel = {};
        m_channelTransparent = false;
        update();
        return true;
    }
    BitmapPair pair;
    if (!preparePair(normal, active, transparent, key, keyX, keyY, pair))
        return false;
    m_channel = pair.normal;
    m_activeChannel = pair.active;
    m_channelTransparent = transparent;
    resize(m_channel.size());
    update();
    return true;
}

bool BitmapSlider::setThumbPixmaps(const QPixmap& normal, const QPixmap& active, bool transparent,
                                   QColor key, int keyX, int keyY) {
    if (normal.isNull()) {
        m_thumb = {};
        m_activeThumb = {};
        update();
        return true;
    }
    BitmapPair pair;
    if (!preparePair(normal, active, transparent, key, keyX, keyY, pair))
        return false;
    m_thumb = pair.normal;
    m_activeThumb = pair.active;
    update();
    return true;
}

QSize BitmapSlider::sizeHint() const {
    return m_channel.isNull() ? QWidget::sizeHint() : m_channel.size();
}

SliderAxis BitmapSlider::axis() const {
    if (m_vertical)
        return {height(), m_marginTop, m_marginBottom, m_thumb.height()};
    return {width(), m_marginLeft, m_marginRight, m_thumb.width()};
}

int BitmapSlider::centre() const {
    return thumbCentre(axis(), m_minimum, m_maximum, m_position);
}

int BitmapSlider::alongTravel(QPointF point) const {
    const double v = m_vertical ? point.y() : point.x();
    return static_cast<int>(std::floor(v));
}

void BitmapSlider::notify(Message message) {
    postMessage(parentWidget(), message, controlId(this), m_position);
}

void BitmapSlider::redrawWithParent() {
    update();
    if (QWidget* parent = parentWidget())
        parent->update(geometry());
}

void BitmapSlider::trackingTick() {
    if (!m_changePending)
        return;
    m_changePending = false;
    notify(Message::SliderTracking);
}

void BitmapSlider::mousePressEvent(QMouseEvent* event) {
    if (!m_enabled || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_dragging = true;
    const SliderAxis a = axis();
    const int pointer = alongTravel(event->position());
    const int thumb = centre();
    m_dragOffset = std::abs(pointer - thumb) > a.thumbLength / 2 ? 0 : pointer - thumb;
    const int c = clampToTravel(a, pointer - m_dragOffset);
    if (c != thumb) {
        const int target = positionAt(a, m_minimum, m_maximum, c);
        m_position = clampToRange(m_position <= target ? m_position + 1 : m_position - 1);
        m_dragging = false;
        m_changePending = true;
    }
    m_trackingTimer.start();
    update();
}

void BitmapSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging || !m_enabled)
        return;
    const SliderAxis a = axis();
    const int c = clampToTravel(a, alongTravel(event->position()) - m_dragOffset);
    if (c == travelLow(a)) {
        // The low end is the minimum outright; it is reported when the button is released.
        m_position = m_minimum;
        update();
    }
    if (c != centre()) {
        setPos(positionAt(a, m_minimum, m_maximum, c));
        m_changePending = true;
    }
}

void BitmapSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_enabled || event->button() != Qt::LeftButton)
        return;
    // A quick click's step is reported here when no tick has reported it yet.
    const bool report = m_dragging || m_changePending;
    m_dragging = false;
    m_changePending = false;
    m_trackingTimer.stop();
    if (report)
        notify(Message::SliderChanged);
    redrawWithParent();
}

void BitmapSlider::keyPressEvent(QKeyEvent* event) {
    if (!m_enabled) {
        QWidget::keyPressEvent(event);
        return;
    }
    int position = m_position;
    switch (event->key()) {
    case Qt::Key_PageUp:
        position = saturate(static_cast<long long>(m_position) - m_page);
        break;
    case Qt::Key_PageDown:
        position = saturate(static_cast<long long>(m_position) + m_page);
        break;
    case Qt::Key_End:
        position = m_maximum;
        break;
    case Qt::Key_Home:
        position = m_minimum;
        break;
    case Qt::Key_Up:
        position = saturate(static_cast<long long>(m_position) + (m_vertical ? -1 : 1));
        break;
    case Qt::Key_Down:
        position = saturate(static_cast<long long>(m_position) + (m_vertical ? 1 : -1));
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    setPos(position);
    notify(Message::SliderChanged);
    event->accept();
}

void BitmapSlider::wheelEvent(QWheelEvent* event) {
    if (!m_enabled) {
        event->ignore();
        return;
    }
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    // A wheel turned up moves a vertical thumb up (toward the minimum), a horizontal one right.
    int step = m_wheel.add(delta);
    if (m_vertical)
        step = -step;
    if (step != 0)
        setPos(saturate(static_cast<long long>(m_position) + step));
    if (step != 0 || m_vertical)
        notify(Message::SliderChanged);
    redrawWithParent();
}

void BitmapSlider::focusInEvent(QFocusEvent* event) {
    m_focused = true;
    update();
    QWidget::focusInEvent(event);
}

void BitmapSlider::focusOutEvent(QFocusEvent* event) {
    m_focused = false;
    update();
    QWidget::focusOutEvent(event);
}

void BitmapSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_channelTransparent)
        painter.fillRect(rect(), palette().window());
    const int thumb = centre();
    if (!m_channel.isNull()) {
        if (m_activeChannel.isNull() || !m_enabled) {
            painter.drawPixmap(0, 0, m_channel);
        } else {
            // The stretch from the minimum end to the thumb centre is lit.
            const QSize size = m_channel.size();
            const int extent = std::clamp(thumb, 0, m_vertical ? size.height() : size.width());
            const QRect lit =
                m_vertical ? QRect(0, 0, size.width(), extent) : QRect(0, 0, extent, size.height());
            const QRect rest = m_vertical ? QRect(0, extent, size.width(), size.height() - extent)
                                          : QRect(extent, 0, size.width() - extent, size.height());
            painter.drawPixmap(lit, m_activeChannel, lit);
            painter.drawPixmap(rest, m_channel, rest);
        }
    }
    if (m_thumb.isNull() || !m_enabled)
        return;
    const bool lit = (!m_activeThumb.isNull() && m_dragging) || m_focused;
    const QPixmap& face = lit && !m_activeThumb.isNull() ? m_activeThumb : m_thumb;
    if (m_vertical)
        painter.drawPixmap(m_marginLeft, thumb - face.height() / 2, face);
    else
        painter.drawPixmap(thumb - face.width() / 2, m_marginTop, face);
}

} // namespace kesmo
