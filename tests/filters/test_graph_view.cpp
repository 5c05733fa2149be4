#include "controls/Messaging.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "model/DataConver.h"
#include "tests/pages/PageTestApp.h"
#include "tests/pages/PageTestSupport.h"

#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace kesmo {
namespace {

using namespace layout;

struct Selected {
    std::intptr_t channel;
    std::intptr_t index;
    bool operator==(const Selected&) const = default;
};

// The page under the graph: records GraphBandSelected.
class PageStandIn final : public MessageTarget {
public:
    std::vector<Selected> take() {
        QCoreApplication::sendPostedEvents();
        return std::exchange(m_selected, {});
    }

protected:
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override {
        if (message == Message::GraphBandSelected)
            m_selected.push_back({wParam, lParam});
        return true;
    }

private:
    std::vector<Selected> m_selected;
};

// The Music page's graph: 706 x 167 dialog units at Arial 9.
class GraphTest : public testing::Test {
protected:
    GraphTest() : graph(host.store(), host.bandSets(), &page) {
        page.resize(1300, 340);
        graph.setGeometry(11, 20, 1236, 292);
        graph.setup();
        graph.layoutPage(kGraphMusic);
        graph.selectChannel(kEqMusicLeft);
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
        page.take();
    }

    CKTVEQ& set() { return *host.bandSets()->channel(graph.channel()); }
    CFilter& band(int i) { return *set().filter(i); }
    static QPoint centreOf(const CFilter& f) {
        const Point c = f.markerRect().centre();
        return {c.x, c.y};
    }
    void moveTo(QPoint at) { QTest::mouseMove(&graph, at); }
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(&graph, button, {}, at);
    }
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(&graph, button, {}, at);
    }
    // Hover onto the marker first, as a hand does, then press on it.
    void grab(const CFilter& f, Qt::MouseButton button = Qt::LeftButton) {
        moveTo(centreOf(f) + QPoint(1, 0));
        moveTo(centreOf(f));
        press(centreOf(f), button);
    }
    // A point of the crossover's marker that no band marker covers.
    QPoint clearPointOf(const CFilter& f) {
        const Rect& r = f.markerRect();
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                bool free = true;
                for (int i = 0; i < set().bandCount(); ++i)
                    free = free && !band(i).markerRect().contains({x, y});
                if (free)
                    return {x, y};
            }
        ADD_FAILURE() << "crossover marker covered by bands";
        return {};
    }

    test::FakePageHost host;
    PageStandIn page;
    GraphView graph;
};

TEST_F(GraphTest, ABandDraggedPastTheTopAndRightEdgesStopsAtTwelveDecibelsAnd20600Hz) {
    CFilter& first = band(0);
    grab(first);
    EXPECT_EQ(page.take(), (std::vector<Selected>{{0, 0}}));
    moveTo(QPoint(centreOf(first).x(), -60));
    EXPECT_EQ(first.band()->gain(), 180);
    moveTo(QPoint(graph.width() + 200, -60));
    release(QPoint(graph.width() + 200, -60));
    EXPECT_EQ(first.band()->gain(), 180);
    EXPECT_EQ(first.band()->freq(), draggedFrequencyCode(20600.0));
    EXPECT_DOUBLE_EQ(first.frequencyHz(), eqFrequencyHz(draggedFrequencyCode(20600.0)));
    // The marker stays on the plot, and the page heard of each change.
    EXPECT_LE(first.markerRect().right, graph.plotRect().right);
    EXPECT_EQ(first.markerRect().top, kPlotTop);
    const std::vector<Selected> selected = page.take();
    ASSERT_FALSE(selected.empty());
    for (const Selected& s : selected)
        EXPECT_EQ(s, (Selected{0, 0}));
}

TEST_F(GraphTest, ARightDragChangesOnlyQAndTheMarkerStays) {
    CFilter& fifth = band(4);
    const EqBandView record = *fifth.band();
    const int freq = record.freq(), gain = record.gain(), q = record.q(), type = record.type();
    const Rect marker = fifth.markerRect();
    grab(fifth, Qt::RightButton);
    moveTo(centreOf(fifth) + QPoint(25, 40));
    release(centreOf(fifth) + QPoint(25, 40), Qt::RightButton);
    EXPECT_EQ(record.q(), q + 2);
    EXPECT_EQ(record.freq(), freq);
    EXPECT_EQ(record.gain(), gain);
    EXPECT_EQ(record.type(), type);
    EXPECT_EQ(fifth.markerRect(), marker);
    EXPECT_EQ(page.take(), (std::vector<Selected>{{0, 4}}));
}

TEST_F(GraphTest, ACrossoverMarkerMovesInFrequencyOnly) {
    CFilter& hp = *set().highPass();
    hp.setSlope(4);
    hp.setCrossoverFrequencyCode(120);
    graph.redraw(-1, false);
    const CrossoverView record = *hp.crossover();
    const Rect before = hp.markerRect();
    const QPoint start = clearPointOf(hp);
    moveTo(start + QPoint(1, 0));
    moveTo(start);
    EXPECT_EQ(graph.current(), &hp);
    EXPECT_EQ(graph.cursor().shape(), Qt::SizeHorCursor);
    press(start);
    moveTo(start + QPoint(120, 70));
    release(start + QPoint(120, 70));
    EXPECT_GT(record.freq(), 120);
    EXPECT_EQ(record.slope(), 4);
    EXPECT_EQ(hp.markerRect().top, before.top);
    EXPECT_EQ(hp.markerRect().left - before.left, 120);
    EXPECT_EQ(page.take().back(), (Selected{0, set().highPassIndex()}));
    // A right drag on a crossover does nothing.
    moveTo(centreOf(hp));
    press(centreOf(hp), Qt::RightButton);
    moveTo(centreOf(hp) + QPoint(60, 0));
    release(centreOf(hp) + QPoint(60, 0), Qt::RightButton);
    EXPECT_EQ(hp.markerRect().left - before.left, 120);
}

TEST_F(GraphTest, TheCursorFollowsTheMarkerKind) {
    moveTo(centreOf(band(6)));
    EXPECT_EQ(graph.cursor().shape(), Qt::SizeAllCursor);
    moveTo(QPoint(600, 250));
    EXPECT_EQ(graph.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(GraphTest, AClickOnEmptyPlotPostsTheLastCurrentBand) {
    moveTo(centreOf(band(2)));
    EXPECT_EQ(graph.currentIndex(), 2);
    moveTo(QPoint(900, 240));
    EXPECT_FALSE(graph.overMarker());
    const std::uint8_t gainBefore = band(2).band()->gain();
    press(QPoint(900, 240));
    moveTo(QPoint(950, 200));
    release(QPoint(950, 200));
    EXPECT_EQ(page.take(), (std::vector<Selected>{{0, 2}}));
    EXPECT_EQ(band(2).band()->gain(), gainBefore);
}

TEST_F(GraphTest, ADragGoesOnOutsideTheWidget) {
    CFilter& eighth = band(7);
    grab(eighth);
    const QPoint outside(-150, graph.height() + 80);
    ASSERT_FALSE(graph.rect().contains(outside));
    moveTo(outside);
    EXPECT_EQ(eighth.band()->freq(), draggedFrequencyCode(19.7));
    EXPECT_EQ(eighth.band()->gain(), 0);
    release(outside);
    // Released: moving back no longer drags.
    moveTo(QPoint(600, 100));
    EXPECT_EQ(eighth.band()->gain(), 0);
}

TEST_F(GraphTest, OutputChannelsIgnoreTheMouseWhileAutoIsSelected) {
    host.store().working.setByte(image::kSceneSelect, 0);
    graph.layoutPage(kGraphOutputFirst);
    graph.selectChannel(kEqOutputFirst);
    CFilter& first = band(0);
    const int gain = first.band()->gain();
    grab(first);
    moveTo(centreOf(first) + QPoint(0, -50));
    release(centreOf(first) + QPoint(0, -50));
    EXPECT_EQ(first.band()->gain(), gain);
    EXPECT_EQ(graph.current(), nullptr);

    host.store().working.setByte(image::kSceneSelect, 2);
    graph.selectChannel(kEqOutputFirst);
    CFilter& inScene = band(0);
    grab(inScene);
    moveTo(centreOf(inScene) + QPoint(0, -50));
    release(centreOf(inScene) + QPoint(0, -50));
    EXPECT_NE(outputChannel(host.store().working, 2, 0).eq(0).gain(), gain);
}

// The scene changed under a selected output channel (a mode arrived): the next drag edits the
// scene now being edited, never the one the channel was selected in.
TEST_F(GraphTest, AnOutputDragFollowsTheSceneBeingEdited) {
    graph.layoutPage(kGraphOutputFirst);
    graph.selectChannel(kEqOutputFirst + 4);
    ModeImage& w = host.store().working;
    w.setByte(image::kSceneSelect, 3);
    const int sceneOneGain = outputChannel(w, 1, 4).eq(2).gain();
    CFilter& third = *host.bandSets()->output(3, 4)->filter(2);
    grab(third);
    moveTo(centreOf(third) + QPoint(0, -60));
    release(centreOf(third) + QPoint(0, -60));
    EXPECT_EQ(graph.bandSet(), host.bandSets()->output(3, 4));
    EXPECT_GT(outputChannel(w, 3, 4).eq(2).gain(), 120);
    EXPECT_EQ(outputChannel(w, 1, 4).eq(2).gain(), sceneOneGain);
}

int countNear(const QImage& image, QRect area, QColor colour, int tolerance) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance &&
                std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                ++n;
        }
    return n;
}

TEST_F(GraphTest, ABypassedChannelShowsTheCurveAndTheOverlay) {
    const QColor overlayFill(155, 155, 155);
    const QColor curve(255, 49, 68);
    // The overlay sits around a third of the way down, centred.
    const QRect overlayArea(graph.width() / 2 - 160, graph.height() / 3, 320, 50);
    // A flat stretch of the curve at 0 dB, far from the overlay.
    const int y0 = static_cast<int>(plotY(0.0, graph.plotRect().height())) + kPlotTop;
    const QRect curveArea(60, y0 - 2, 20, 5);

    graph.redraw(-1, false);
    // (the marker numbers' anti-aliased edges have a few grey pixels)
    EXPECT_LT(countNear(graph.picture(), overlayArea, overlayFill, 6), 30);
    EXPECT_GT(countNear(graph.picture(), curveArea, curve, 40), 10);

    musicLeft(host.store().working).setByte(music::kEqBypass, 1);
    graph.redraw(-1, false);
    EXPECT_GT(countNear(graph.picture(), overlayArea, overlayFill, 6), 200);
    EXPECT_GT(countNear(graph.picture(), curveArea, curve, 40), 10);
    // What is on screen is that picture.
    const QImage shown = graph.grab().toImage();
    EXPECT_GT(countNear(shown, overlayArea, overlayFill, 6), 200);
}

TEST_F(GraphTest, TheHighlightedBandIsFilledFramedAndCaptioned) {
    CFilter& sixth = band(5);
    sixth.setType(CFilter::kPeaking);
    sixth.setGainCode(170); // +10 dB
    graph.redraw(5, false);
    const Rect m = sixth.markerRect();
    const QImage& picture = graph.picture();
    EXPECT_EQ(picture.pixelColor(m.left, m.top + 5), QColor(255, 0, 0));
    // Under the boost's peak, between the curve and the 0 dB line: the band's own fill.
    const int y0 = static_cast<int>(plotY(0.0, graph.plotRect().height())) + kPlotTop;
    const QRect under(m.centre().x - 3, y0 - 12, 7, 6);
    EXPECT_GT(countNear(picture, under, QColor(68, 86, 98), 2), 10);
    EXPECT_GT(countNear(picture,
                        QRect(sixth.captionRect().left, sixth.captionRect().top,
                              sixth.captionRect().width(), sixth.captionRect().height()),
                        Qt::white, 60),
              20);
}

} // namespace
} // namespace kesmo
