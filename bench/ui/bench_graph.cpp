#include "filters/BandSets.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "model/WorkingModel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace kesmo;

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "bench-graph";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *application;
}

// The Music page's graph (706 x 167 dialog units) over Music Left with every band peaking.
struct MusicGraph {
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<BandSets> bands;
    std::unique_ptr<GraphView> graph;

    MusicGraph() {
        app();
        const auto dir = std::filesystem::temp_directory_path() / "kesmo-bench-graph";
        std::filesystem::create_directories(dir);
        bands = std::make_unique<BandSets>(*store);
        initialiseModel(*store, dir);
        CKTVEQ& set = *bands->channel(layout::kEqMusicLeft);
        for (int i = 0; i < set.bandCount(); ++i) {
            set.filter(i)->setType(CFilter::kPeaking);
            set.filter(i)->setGainCode(100 + 5 * i);
        }
        set.highPass()->setSlope(11);
        set.lowPass()->setSlope(12);
        graph = std::make_unique<GraphView>(*store, bands.get());
        graph->resize(1236, 292);
        graph->show();
        if (!QTest::qWaitForWindowExposed(graph.get()))
            std::abort();
        graph->setup();
        graph->layoutPage(kGraphMusic);
        graph->selectChannel(layout::kEqMusicLeft);
        graph->redraw(7, false);
    }
    CFilter& band(int i) { return *bands->channel(layout::kEqMusicLeft)->filter(i); }
};

// One full picture: axes, grid, the highlighted band's fill, the combined curve, markers and
// the caption.
void GraphPaint(benchmark::State& state) {
    MusicGraph g;
    for (auto _ : state) {
        g.graph->paintPicture();
        benchmark::DoNotOptimize(g.graph->picture().constBits());
    }
}
BENCHMARK(GraphPaint)->Unit(benchmark::kMicrosecond);

// One mouse move of a band drag: the move handled, the record written, the band recomputed,
// the set re-summed and the picture repainted.
void DragStep(benchmark::State& state) {
    MusicGraph g;
    CFilter& band = g.band(7);
    const Point c = band.markerRect().centre();
    const QPoint centre(c.x, c.y);
    // (Moving onto the same point again would bring no event.)
    QTest::mouseMove(g.graph.get(), centre + QPoint(1, 0));
    QTest::mouseMove(g.graph.get(), centre);
    QTest::mousePress(g.graph.get(), Qt::LeftButton, {}, centre);
    const int gainBefore = band.band()->gain();
    int step = 0;
    for (auto _ : state) {
        const QPointF at(centre.x() + (step % 2 == 0 ? 40 : 0),
                         centre.y() - (step % 2 == 0 ? 30 : 0));
        QMouseEvent move(QEvent::MouseMove, at, g.graph->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(g.graph.get(), &move);
        ++step;
    }
    QTest::mouseRelease(g.graph.get(), Qt::LeftButton, {}, centre);
    if (band.band()->gain() == gainBefore && step % 2 == 1)
        state.SkipWithError("the drag did not move the band");
}
BENCHMARK(DragStep)->Unit(benchmark::kMicrosecond);

} // namespace
