#include "controls/EnTabCtrl.h"
#include "pages/PageDlg.h"
#include "tests/shell/ShellTestSupport.h"

#include <QImage>
#include <QScrollBar>
#include <cstdlib>
#include <gtest/gtest.h>

namespace kesmo::test {
namespace {

class WindowLayoutTest : public ::testing::Test {
protected:
    void open(QSize screen, int languageMode = 0) {
        KesmoSetup setup;
        setup.candidates = &candidates;
        setup.screenSize = screen;
        setup.languageMode = languageMode;
        setup.systemLocale = "zh_CN";
        window = std::make_unique<KesmoDlg>(setup);
        window->show();
        QCoreApplication::sendPostedEvents(window.get());
    }

    FreshModel model;
    AnsweringDialogs dialogs;
    ListCandidates candidates;
    std::unique_ptr<KesmoDlg> window;
};

TEST_F(WindowLayoutTest, DesignScreenKeepsTheDesignedSizeWithoutScrollBars) {
    open({1366, 768});
    EXPECT_EQ(window->size(), window->client()->size());
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->horizontalBar(), nullptr);
    EXPECT_EQ(window->verticalBar(), nullptr);
}

TEST_F(WindowLayoutTest, SmallScreenScrollsTheClientArea) {
    open({1280, 720});
    const QSize client = window->client()->size();
    EXPECT_EQ(window->size(), QSize(1290, 740));
    EXPECT_NE(window->minimumSize(), window->maximumSize());
    QScrollBar* v = window->verticalBar();
    QScrollBar* h = window->horizontalBar();
    ASSERT_NE(v, nullptr);
    ASSERT_NE(h, nullptr);
    const int vPage = client.height() / 100, hPage = client.width() / 50;
    EXPECT_EQ(v->pageStep(), vPage);
    EXPECT_EQ(h->pageStep(), hPage);
    // Ranges 1 .. 15 and 1 .. 20 pages; the last position is maximum - page + 1.
    EXPECT_EQ(v->minimum(), 1);
    EXPECT_EQ(v->maximum(), 15 * vPage - vPage + 1);
    EXPECT_EQ(h->maximum(), 20 * hPage - hPage + 1);
    EXPECT_EQ(v->value(), 1);

    const QPoint start = window->client()->pos();
    // A click in the trough below the handle pages down.
    QTest::mouseClick(v, Qt::LeftButton, {}, QPoint(v->width() / 2, v->height() - 30));
    EXPECT_EQ(v->value(), 1 + vPage);
    EXPECT_EQ(window->client()->pos(), start - QPoint(0, vPage));
    QTest::mouseClick(h, Qt::LeftButton, {}, QPoint(h->width() - 30, h->height() / 2));
    EXPECT_EQ(window->client()->pos(), start - QPoint(hPage, vPage));

    // Back to the top: the client area returns exactly to where it started.
    v->triggerAction(QAbstractSlider::SliderToMinimum);
    h->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(window->client()->pos(), start);
    // Page down past the end stops at the last position.
    for (int i = 0; i < 40; ++i)
        v->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(v->value(), v->maximum());
    EXPECT_EQ(window->client()->pos().y(), start.y() - (v->maximum() - 1));
}

// The background covers the whole client area, and the pages lie inside the tab control.
TEST_F(WindowLayoutTest, BackgroundAndPagesFillTheWindow) {
    for (int language : {0, 1}) {
        open({1920, 1080}, language == 0 ? 0 : 1);
        const QImage shot = window->grab().toImage();
        const QRect tabs = window->control<EnTabCtrl>(1028)->geometry();
        // Outside the tab control, below and right of it, the brushed metal shows: dark, not
        // the default window grey or white.
        for (QPoint p : {QPoint(shot.width() - 1, shot.height() - 1),
                         QPoint(shot.width() - 1, tabs.top() + 40), QPoint(1, shot.height() - 1)}) {
            const QColor c = shot.pixelColor(p);
            EXPECT_LT(c.lightness(), 110) << p.x() << "," << p.y();
        }
        for (int tab : {0, 1, 2, 3, 4, 9}) {
            const QRect page = window->page(tab)->geometry();
            EXPECT_TRUE(tabs.contains(page)) << tab;
        }
        if (const char* dir = std::getenv("KESMO_SHOT_DIR")) {
            for (int tab : {0, 1, 2, 3, 4, 9}) {
                window->switchPage(tab);
                window->grab().save(QString::fromUtf8(dir) + QStringLiteral("/window-%1-tab%2.png")
                                                                 .arg(language == 0 ? "en" : "zh")
                                                                 .arg(tab));
            }
        }
        window.reset();
    }
}

} // namespace
} // namespace kesmo::test
