#pragma once

#include "filters/PlotGeometry.h"
#include "filters/memdc.h"

#include <QPointer>
#include <QWidget>
#include <array>

// The response graph under every channel page: the summed curve of a channel's band set, a
// marker per band and crossover, and the highlighted band's own curve and caption. Markers are
// dragged with the mouse through the band objects; the page hears of it by GraphBandSelected
// (wParam the channel, lParam the band index) and reloads its controls.
namespace kesmo {

class BandSets;
class CFilter;
class CKTVEQ;
class ParamStore;

// Page kinds whose band sets layoutPage lays out.
enum GraphPageKind : int {
    kGraphMusic = 0,
    kGraphDynamicEq = 1,
    kGraphMic = 2,
    kGraphEffects = 3,
    kGraphOutputFirst = 4, // 4..8: the output pages
    kGraphOutputLast = 8,
};

class GraphView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kGridLines = 30;

    GraphView(ParamStore& store, BandSets* bands, QWidget* parent = nullptr);

    // Where GraphBandSelected goes; the widget's parent until set.
    void setNotifyTarget(QObject* target) { m_notify = target; }
    // Takes the control's size: plot rectangle and grid.
    void setup();
    void layoutPage(int pageKind);
    // EqChannel 0..17; 8..15 show the channel of the edited scene.
    void selectChannel(int channel);
    // highlightIndex: 0..n-1 a band, n the high-pass, n+1 the low-pass, -1 none.
    void redraw(int highlightIndex, bool forgetCurrent);

    int channel() const { return m_channel; }
    CKTVEQ* bandSet() const { return m_bandSet; }
    int currentIndex() const { return m_currentIndex; }
    int highlight() const { return m_highlight; }
    CFilter* current() const { return m_current; }
    bool overMarker() const { return m_overMarker; }
    Rect plotRect() const { return m_plotRect; }
    // The finished picture, as last drawn.
    const QImage& picture() const { return m_memdc.image(); }
    // Paints the whole picture into the off-screen image (what a redraw does).
    void paintPicture();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void followScene();
    bool mouseIgnored() const;
    bool eqBypassed() const;
    CFilter* highlighted() const;
    void notify();
    void updateCursor(Point mouse);
    void paintAxes(QPainter& p) const;
    void paintPlot(QPainter& p);

    ParamStore& m_store;
    BandSets* m_bands;
    QPointer<QObject> m_notify;
    MemDC m_memdc;
    Rect m_clientRect;
    Rect m_plotRect;
    std::array<int, kGridLines> m_gridX{};
    int m_channel = 0;
    CKTVEQ* m_bandSet = nullptr;
    CFilter* m_current = nullptr;
    int m_currentIndex = 0;
    int m_highlight = -1;
    bool m_overMarker = false;
    bool m_changed = false;
};

} // namespace kesmo
