#pragma once

#include "controls/BitmapSlider.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "pages/ChannelPairPage.h"
#include "pages/EQDlg.h"
#include "pages/PageDlg.h"
#include "resources/DialogBuilder.h"
#include "resources/Skin.h"
#include "tests/pages/PageTestSupport.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

// Real mouse actions on the channel pages (strips over a graph) and the checks they share.
namespace kesmo::test {

// A left click on a band's marker of the graph.
inline void pickOnGraph(GraphView& graph, int index) {
    const Point c = graph.bandSet()->filter(index)->markerRect().centre();
    QTest::mouseMove(&graph, QPoint(c.x + 1, c.y));
    QTest::mouseMove(&graph, QPoint(c.x, c.y));
    QTest::mouseClick(&graph, Qt::LeftButton, {}, QPoint(c.x, c.y));
    QCoreApplication::sendPostedEvents();
}

// Typed into a numeric box and committed with Return, as a person does.
inline void typeInto(QLineEdit& edit, const char* text) {
    QTest::mouseClick(&edit, Qt::LeftButton);
    edit.selectAll();
    QTest::keyClicks(&edit, QString::fromLatin1(text));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCoreApplication::sendPostedEvents();
}

// Every control on screen, the strip's own included: none covers another or the graph, and
// all lie inside the page.
inline void expectNoOverlaps(const QWidget& page, const EQDlg& strip) {
    std::vector<QWidget*> widgets;
    for (QWidget* w : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && qobject_cast<QGroupBox*>(w) == nullptr)
            widgets.push_back(w);
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        ASSERT_TRUE(page.rect().contains(widgets[i]->geometry())) << controlId(widgets[i]);
        for (std::size_t j = i + 1; j < widgets.size(); ++j)
            EXPECT_FALSE(widgets[i]->geometry().intersects(widgets[j]->geometry()))
                << controlId(widgets[i]) << " and " << controlId(widgets[j]);
    }
    const QList<QWidget*> inStrip = strip.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < inStrip.size(); ++i)
        for (qsizetype j = i + 1; j < inStrip.size(); ++j)
            EXPECT_FALSE(inStrip[i]->geometry().intersects(inStrip[j]->geometry()))
                << controlId(inStrip[i]) << " and " << controlId(inStrip[j]);
}

// A two-channel page on its own, in Full mode and English, shown and refreshed.
template <class Page, int kBandWindowId> class ChannelPageTest : public testing::Test {
protected:
    ChannelPageTest() : page(host, nullptr) {
        page.refreshTexts();
        page.applyUiMode(1);
        page.refresh();
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    ModeImage& working() { return host.store().working; }
    BitmapSlider* slider(int id) { return page.template control<BitmapSlider>(id); }
    QSlider* bandWindow() { return page.template control<QSlider>(kBandWindowId); }
    void click(int buttonId) {
        QTest::mouseClick(page.control(buttonId), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }
    void pickOnGraph(int index) { test::pickOnGraph(*page.graph(), index); }
    void dragSlider(int id, int position) { dragPageSlider(*slider(id), position); }
    std::vector<int> stripBands() {
        std::vector<int> bands;
        for (int i = 0; i < ChannelPairPage::kStrips; ++i)
            bands.push_back(page.strip(i)->bandIndex());
        return bands;
    }

    FakePageHost host;
    Page page;
};

} // namespace kesmo::test
