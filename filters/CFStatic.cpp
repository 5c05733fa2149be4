#include "filters/CFStatic.h"

#include "controls/Messaging.h"
#include "filters/BandSets.h"
#include "filters/KTVEQ.h"
#include "model/ModeImage.h"

#include <QMouseEvent>
#include <QPainterPath>
#include <QPolygon>
#include <QPolygonF>
#include <cmath>

namespace kesmo {

namespace {

const QColor kAxisColour(100, 100, 100);
const QColor kBorderColour(0, 180, 0);
const QColor kGridColour(21, 100, 21);
const QColor kBandFillColour(68, 86, 98);
const QColor kCurveColour(255, 49, 68);
constexpr double kCurveWidth = 2.0;
const QColor kMarkerFrameColour(255, 0, 0);
const QColor kBypassOutlineColour(94, 104, 116, 32);
const QColor kBypassFillColour(155, 155, 155);

constexpr std::array<double, GraphView::kGridLines> kGridHz{
    10,  20,  30,  40,   50,   60,   70,   80,   90,   100,  200,  300,  400,   500,   600,
    700, 800, 900, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000, 30000};

struct AxisLabel {
    const char* text;
    double hz;
    int shift;
};
constexpr AxisLabel kFrequencyLabels[] = {{"20", 20, 8},      {"50", 50, 8},     {"100", 100, 10},
                                          {"200", 200, 10},   {"500", 500, 10},  {"1K", 1000, 8},
                                          {"2K", 2000, 8},    {"5K", 5000, 8},   {"10K", 10000, 10},
                                          {"20K", 20000, 15}, {"30K", 30000, 15}};

// The outline of a polyline drawn `width` pixels wide with mitred joins (limited at sharp
// turns), to be filled anti-aliased: the stroker's round and bevel joins cost a trigonometric
// call per point, which would make a drag step miss its frame.
QPolygonF thickLine(const std::array<PointF, kGridPoints>& points, double width) {
    constexpr std::size_t n = kGridPoints;
    constexpr double kMiterLimit = 2.0;
    const double half = width / 2.0;
    auto unitNormal = [&](std::size_t a, std::size_t b) {
        const double dx = points[b].x - points[a].x;
        const double dy = points[b].y - points[a].y;
        const double length = std::sqrt(dx * dx + dy * dy);
        return length > 0 ? QPointF(-dy / length, dx / length) : QPointF(0, -1);
    };
    QPolygonF outline(static_cast<qsizetype>(2 * n));
    QPointF previous = unitNormal(0, 1);
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF next = i + 1 < n ? unitNormal(i, i + 1) : previous;
        QPointF miter = previous + next;
        const double length = std::sqrt(QPointF::dotProduct(miter, miter));
        miter = length > 1e-9 ? miter / length : next;
        const double cosine = QPointF::dotProduct(miter, next);
        const double scale = half / std::max(cosine, 1.0 / kMiterLimit);
        const QPointF at(points[i].x, points[i].y);
        outline[static_cast<qsizetype>(i)] = at + miter * scale;
        outline[static_cast<qsizetype>(2 * n - 1 - i)] = at - miter * scale;
        previous = next;
    }
    return outline;
}

QRect toQRect(const Rect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

// Text whose top-left corner is at (x, y), as the platform's text output places it.
void textAt(QPainter& p, int x, int y, const QString& text) {
    p.drawText(QRect(x, y, 400, 100), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

std::uint8_t bypassByte(ModeImage& image, int channel) {
    using namespace layout;
    switch (channel) {
    case kEqMusicLeft:
        return musicLeft(image).eqBypass();
    case kEqMusicRight:
        return musicRight(image).eqBypass();
    case kEqMic1:
        return mic1(image).eqBypass();
    case kEqMic2:
        return mic2(image).eqBypass();
    case kEqEchoA:
        return echoA(image).eqBypass();
    case kEqEchoB:
        return echoB(image).eqBypass();
    case kEqReverb:
        return reverbBlock(image).eqBypass();
    case kEqSpareReverb:
        return spareReverbBlock(image).eqBypass();
    default:
        break;
    }
    const int scene = image.byte(image::kSceneSelect);
    if (channel >= kEqOutputFirst && channel < kEqOutputFirst + kOutputChannels && scene >= 1 &&
        scene <= kScenes)
        return outputChannel(image, scene, channel - kEqOutputFirst).eqBypass();
    return 0;
}

} // namespace

GraphView::GraphView(ParamStore& store, BandSets* bands, QWidget* parent)
    : QWidget(parent), m_store(store), m_bands(bands), m_notify(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphView::setup() {
    m_clientRect = {0, 0, width(), height()};
    m_plotRect = {kPlotLeft, kPlotTop, width() - 10, height() - 20};
    const int w = std::max(m_plotRect.width(), 1);
    for (std::size_t i = 0; i < kGridHz.size(); ++i)
        m_gridX[i] = pixel(plotX(kGridHz[i], w)) + kPlotLeft;
}

void GraphView::layoutPage(int pageKind) {
    if (m_bands == nullptr)
        return;
    auto lay = [this](CKTVEQ* set) {
        if (set != nullptr)
            set->layout(m_plotRect);
    };
    switch (pageKind) {
    case kGraphMusic:
        lay(m_bands->channel(layout::kEqMusicLeft));
        lay(m_bands->channel(layout::kEqMusicRight));
        break;
    case kGraphDynamicEq:
        lay(m_bands->channel(layout::kEqDynMusicLeft));
        lay(m_bands->channel(layout::kEqDynMusicRight));
        break;
    case kGraphMic:
        lay(m_bands->channel(layout::kEqMic1));
        lay(m_bands->channel(layout::kEqMic2));
        break;
    case kGraphEffects:
        for (int c = layout::kEqEchoA; c <= layout::kEqSpareReverb; ++c)
            lay(m_bands->channel(c));
        break;
    default:
        if (pageKind >= kGraphOutputFirst && pageKind <= kGraphOutputLast)
            for (int scene = 1; scene <= layout::kScenes; ++scene)
                for (int i = 0; i < layout::kOutputChannels; ++i)
                    lay(m_bands->output(scene, i));
        break;
    }
}

void GraphView::selectChannel(int channel) {
    m_channel = channel;
    m_bandSet = m_bands != nullptr ? m_bands->channel(channel) : nullptr;
    m_current = nullptr;
    redraw(-1, false);
}

// An output channel's curve and markers are those of the scene being edited: when the scene
// changed since the channel was selected, the graph takes the new scene's band set.
void GraphView::followScene() {
    const bool output = m_channel >= layout::kEqOutputFirst &&
                        m_channel < layout::kEqOutputFirst + layout::kOutputChannels;
    if (!output || m_bands == nullptr)
        return;
    CKTVEQ* set = m_bands->channel(m_channel);
    if (set == m_bandSet)
        return;
    if (m_current != nullptr)
        m_current->graphFlags = {};
    m_bandSet = set;
    m_current = nullptr;
    m_overMarker = false;
}

void GraphView::redraw(int highlightIndex, bool forgetCurrent) {
    followScene();
    m_highlight = highlightIndex;
    if (forgetCurrent)
        m_current = nullptr;
    paintPicture();
    update();
}

bool GraphView::mouseIgnored() const {
    return m_channel >= layout::kEqOutputFirst &&
           m_channel < layout::kEqOutputFirst + layout::kOutputChannels &&
           m_store.working.byte(layout::image::kSceneSelect) == 0;
}

bool GraphView::eqBypassed() const {
    return bypassByte(m_store.working, m_channel) != 0;
}

CFilter* GraphView::highlighted() const {
    if (m_highlight >= 0)
        return m_bandSet != nullptr ? m_bandSet->filter(m_highlight) : nullptr;
    return m_current;
}

void GraphView::paintPicture() {
    QPainter* p = m_memdc.begin(size());
    paintAxes(*p);
    paintPlot(*p);
    m_memdc.end();
}

void GraphView::paintAxes(QPainter& p) const {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(kAxisColour);
    p.setBrush(Qt::black);
    p.drawRect(QRect(0, 0, width() - 1, height() - 1));
    p.setFont(font());
    const int h12 = m_plotRect.height() / 12;
    const struct {
        const char* text;
        int y;
    } levels[] = {{"+12", 5},
                  {"+6", h12 * 2 + 3},
                  {"0", h12 * 4 + 3},
                  {"-6dB", h12 * 6 + 5},
                  {"-12", h12 * 8 + 9},
                  {"-18", h12 * 10 + 9},
                  {"-24", m_plotRect.height()}};
    for (const auto& level : levels)
        textAt(p, 6, level.y, QString::fromLatin1(level.text));
    const int bottom = m_plotRect.bottom;
    textAt(p, 30, bottom, QStringLiteral("10"));
    const int w = std::max(m_plotRect.width(), 1);
    for (const AxisLabel& label : kFrequencyLabels)
        textAt(p, pixel(plotX(label.hz, w)) + kPlotLeft - label.shift, bottom,
               QString::fromLatin1(label.text));
}

void GraphView::paintPlot(QPainter& p) {
    const QRect plot = toQRect(m_plotRect);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(plot, Qt::black);
    p.setPen(kBorderColour);
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot.adjusted(0, 0, -1, -1));

    CFilter* band = highlighted();
    if (band != nullptr) {
        QPolygon outline;
        outline.reserve(CFilter::kCurvePointCount);
        for (const Point& pt : band->curvePoints())
            outline << QPoint(pt.x, pt.y);
        p.save();
        p.setClipRect(plot);
        p.setPen(kBandFillColour);
        p.setBrush(kBandFillColour);
        p.drawPolygon(outline);
        p.restore();
    }

    p.setPen(kGridColour);
    for (std::size_t i = 1; i <= 28; ++i)
        p.drawLine(m_gridX[i], m_plotRect.top, m_gridX[i], m_plotRect.bottom - 1);
    const double step = m_plotRect.height() / 12.0;
    for (int i = 1; i <= 12; ++i) {
        const int y = std::min(m_plotRect.top + static_cast<int>(step * i), m_plotRect.bottom - 1);
        p.drawLine(m_plotRect.left, y, m_plotRect.right - 1, y);
    }

    if (m_bandSet != nullptr) {
        m_bandSet->combine();
        p.save();
        p.setClipRect(plot);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(kCurveColour);
        p.drawPolygon(thickLine(m_bandSet->combinedPoints(), kCurveWidth), Qt::WindingFill);
        p.restore();
    }

    if (eqBypassed()) {
        QFont arial(QStringLiteral("Arial"));
        arial.setPixelSize(48);
        arial.setWeight(QFont::Normal);
        QPainterPath text;
        text.addText(0, 0, arial, QStringLiteral("EQ BYPASS"));
        const QRectF box = text.boundingRect();
        text.translate(width() / 2.0 - box.center().x(), height() / 3.0 - box.top());
        p.save();
        p.setRenderHint(QPainter::Antialiasing, true);
        for (int w = 1; w <= 7; ++w) {
            p.strokePath(text,
                         QPen(kBypassOutlineColour, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
        p.fillPath(text, kBypassFillColour);
        p.restore();
    }

    if (m_bandSet == nullptr)
        return;
    p.setFont(font());
    p.setPen(Qt::white);
    const int plotRightEdge = m_plotRect.right;
    for (int i = m_bandSet->count() - 1; i >= 0; --i) {
        const CFilter* f = m_bandSet->filter(i);
        const Rect& r = f->markerRect();
        Qt::Alignment align = Qt::AlignHCenter;
        if (r.right >= plotRightEdge)
            align = Qt::AlignLeft;
        else if (f->frequencyHz() <= 20.0)
            align = Qt::AlignRight;
        else if (f->frequencyHz() >= 20600.0)
            align = Qt::AlignLeft;
        p.drawText(toQRect(r), static_cast<int>(align | Qt::AlignVCenter) | Qt::TextSingleLine,
                   QString::fromStdString(f->markerLabel()));
    }
    if (band != nullptr) {
        const QRect marker = toQRect(band->markerRect());
        p.setPen(kMarkerFrameColour);
        p.drawRect(marker.adjusted(0, 0, -1, -1));
        p.setPen(Qt::white);
        p.drawText(marker, Qt::AlignCenter | Qt::TextSingleLine,
                   QString::fromStdString(band->markerLabel()));
        p.drawText(toQRect(band->captionRect()), Qt::AlignCenter | Qt::TextSingleLine,
                   QString::fromStdString(band->caption()));
    }
}

void GraphView::paintEvent(QPaintEvent*) {
    if (m_memdc.image().size() != size())
        paintPicture();
    QPainter painter(this);
    m_memdc.blit(painter);
}

void GraphView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    setup();
}

void GraphView::notify() {
    postMessage(m_notify, Message::GraphBandSelected, m_channel, m_currentIndex);
}

void GraphView::updateCursor(Point mouse) {
    const bool dragging =
        m_current != nullptr && (m_current->graphFlags.leftDrag || m_current->graphFlags.rightDrag);
    if (m_current != nullptr && (dragging || m_current->markerRect().contains(mouse)))
        setCursor(m_current->isCrossover() ? Qt::SizeHorCursor : Qt::SizeAllCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void GraphView::mousePressEvent(QMouseEvent* event) {
    followScene();
    const QPoint at = event->position().toPoint();
    const Point mouse{at.x(), at.y()};
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (m_overMarker && m_current != nullptr && m_current->graphFlags.hovered) {
            m_current->graphFlags.leftDrag = true;
            m_current->beginDrag(mouse);
        }
        notify();
    } else if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        if (m_overMarker && m_current != nullptr && m_current->graphFlags.hovered &&
            !m_current->isCrossover()) {
            m_current->graphFlags.rightDrag = true;
            m_current->saveQForDrag();
            m_current->beginDrag(mouse);
        }
    }
    event->accept();
}

void GraphView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_current != nullptr)
        m_current->graphFlags = {};
    m_overMarker = false;
    const QPoint at = event->position().toPoint();
    updateCursor({at.x(), at.y()});
    event->accept();
}

void GraphView::mouseMoveEvent(QMouseEvent* event) {
    if (mouseIgnored())
        return;
    followScene();
    const QPoint at = event->position().toPoint();
    const Point mouse{at.x(), at.y()};
    if (m_current != nullptr && m_current->isCrossover()) {
        if (m_current->graphFlags.leftDrag) {
            if (m_current->dragCrossoverTo(mouse)) {
                m_changed = true;
                redraw(-1, false);
            }
        } else if (!m_current->markerRect().contains(mouse)) {
            m_current->graphFlags.hovered = false;
            m_current = nullptr;
            m_overMarker = false;
        } else {
            m_overMarker = true;
        }
    } else if (m_current != nullptr &&
               (m_current->graphFlags.rightDrag || m_current->graphFlags.leftDrag)) {
        const bool moved =
            m_current->graphFlags.rightDrag ? m_current->dragQ(mouse.x) : m_current->dragTo(mouse);
        if (moved) {
            m_changed = true;
            redraw(-1, false);
        }
        m_overMarker = m_current->markerRect().contains(mouse);
    } else if (m_current != nullptr && m_current->markerRect().contains(mouse)) {
        m_current->graphFlags.hovered = true;
        m_overMarker = true;
    } else {
        m_overMarker = false;
        const int count = m_bandSet != nullptr ? m_bandSet->count() : 0;
        for (int i = 0; i < count; ++i) {
            CFilter* f = m_bandSet->filter(i);
            if (!f->markerRect().contains(mouse))
                continue;
            if (m_current != nullptr)
                m_current->graphFlags.hovered = false;
            m_current = f;
            f->graphFlags.hovered = true;
            m_currentIndex = i;
            redraw(-1, false);
            m_overMarker = true;
            break;
        }
    }
    if (m_changed && m_notify) {
        m_changed = false;
        notify();
    }
    updateCursor(mouse);
}

} // namespace kesmo
