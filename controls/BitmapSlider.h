#pragma once

#include "controls/ControlMath.h"
#include "controls/SliderGeometry.h"
#include "devicelink/Messages.h"

#include <QColor>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <chrono>

// The skinned slider of every continuous parameter. It reports to its parent widget with
// posted messages: SliderTracking while the button is held, SliderChanged when a change is
// complete; wParam is the control id, lParam the position.
namespace kesmo {

class BitmapSlider final : public QWidget {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kTrackingInterval{50};

    explicit BitmapSlider(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum, bool redraw = false);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setPos(int position);
    int getPos() const { return m_position; }
    // For sliders whose top shows the largest value: position = max + min - v, not clamped.
    void setPosInverted(int position);
    int getPosInverted() const;
    void setPage(int page) { m_page = page; }
    int page() const { return m_page; }
    void setVertical(bool vertical);
    bool isVertical() const { return m_vertical; }
    void setMargins(int left, int top, int right, int bottom);

    // The slider's own enable flag, independent of the widget's.
    void enable(bool enabled);
    bool isSliderEnabled() const { return m_enabled; }
    // Shows the active thumb without taking the keyboard focus (for a paired numeric edit).
    void setFocusLook(bool focused);
    bool hasFocusLook() const { return m_focused; }

    // The key colour that stands for the colour of pixel (x, y) of each bitmap.
    static constexpr QRgb kKeyFromPixel = 0xFF000000;

    // Bitmaps by skin id (active id 0 = none). With transparency, pixels of the key colour are
    // see-through; kKeyFromPixel (or an invalid colour) means the colour of pixel (x, y).
    // The channel sizes the control; a normal id of 0 unloads it. False when a bitmap is
    // missing or the active bitmap's size differs from the normal one's.
    bool setChannelBitmaps(int normalId, int activeId = 0, bool transparent = false,
                           QColor key = {}, int keyX = 0, int keyY = 0);
    bool setThumbBitmaps(int normalId, int activeId = 0, bool transparent = false, QColor key = {},
                         int keyX = 0, int keyY = 0);
    bool setChannelPixmaps(const QPixmap& normal, const QPixmap& active = {},
                           bool transparent = false, QColor key = {}, int keyX = 0, int keyY = 0);
    bool setThumbPixmaps(const QPixmap& normal, const QPixmap& active = {},
                         bool transparent = false, QColor key = {}, int keyX = 0, int keyY = 0);

    bool isDragging() const { return m_dragging; }
    bool isTrackingTimerActive() const { return m_trackingTimer.isActive(); }
    // One tick of the tracking timer; the timer calls it, tests may too.
    void trackingTick();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    SliderAxis axis() const;
    int centre() const;
    int alongTravel(QPointF point) const;
    int clampToRange(int position) const;
    void notify(Message message);
    void redrawWithParent();

    int m_minimum = 0;
    int m_maximum = 100;
    int m_position = 0;
    int m_page = 20;
    bool m_vertical = false;
    int m_marginLeft = 0;
    int m_marginTop = 0;
    int m_marginRight = 0;
    int m_marginBottom = 0;
    bool m_enabled = true;
    bool m_focused = false;
    bool m_dragging = false;
    bool m_changePending = false;
    int m_dragOffset = 0;
    WheelAccumulator m_wheel;
    QPixmap m_channel;
    QPixmap m_activeChannel;
    bool m_channelTransparent = false;
    QPixmap m_thumb;
    QPixmap m_activeThumb;
    QTimer m_trackingTimer;
};

} // namespace kesmo
