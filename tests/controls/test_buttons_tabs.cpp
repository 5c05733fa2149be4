#include "WidgetTestSupport.h"
#include "controls/BitButton.h"
#include "controls/EnTabCtrl.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace kesmo {
namespace {

constexpr QRgb kUpNormal = 0xFFFF0000;
constexpr QRgb kUpHover = 0xFF00FF00;
constexpr QRgb kUpPressed = 0xFF0000FF;
constexpr QRgb kDownNormal = 0xFFFFFF00;
constexpr QRgb kDisabledUp = 0xFF404040;
constexpr QRgb kDisabledDown = 0xFF202020;

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(200, 100);
        button.setGeometry(10, 10, 40, 20);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    }
    void upOnly() {
        button.setPixmaps({test::solid(4, 4, kUpNormal),
                           test::solid(4, 4, kUpHover),
                           test::solid(4, 4, kUpPressed),
                           {},
                           {},
                           {}});
    }
    QRgb face() { return test::pixelAt(button, 20, 3); }

    QApplication& application = test::app();
    QWidget page;
    BitButton button{&page};
};

TEST_F(ButtonTest, UpBitmapsStandInForMissingDownBitmaps) {
    upOnly();
    EXPECT_EQ(face(), kUpNormal); // stretched over the whole button
    button.setDown(true);
    EXPECT_EQ(face(), kUpNormal);
    button.setPixmaps(
        {test::solid(4, 4, kUpNormal), {}, {}, test::solid(4, 4, kDownNormal), {}, {}});
    EXPECT_EQ(face(), kDownNormal);
}

TEST_F(ButtonTest, HoverAndPressedLooks) {
    upOnly();
    QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
    QApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.isHovered());
    EXPECT_EQ(face(), kUpHover);
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(face(), kUpPressed);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(button.down()); // a click never changes the down mark
    EXPECT_EQ(face(), kUpHover);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_EQ(face(), kUpNormal);
}

TEST_F(ButtonTest, DisabledLooks) {
    upOnly();
    button.setEnabled(false);
    EXPECT_EQ(face(), button.palette().color(QPalette::Button).rgb());
    button.setDisabledPixmaps(test::solid(4, 4, kDisabledUp), test::solid(4, 4, kDisabledDown));
    EXPECT_EQ(face(), kDisabledUp);
    button.setDown(true);
    EXPECT_EQ(face(), kDisabledDown);
    button.setDisabledPixmaps(test::solid(4, 4, kDisabledUp));
    EXPECT_EQ(face(), kDisabledUp);
}

TEST_F(ButtonTest, DisabledTextIsGrey) {
    button.setPixmaps({test::solid(4, 4, 0xFFFFFFFF), {}, {}, {}, {}, {}});
    button.setText("MMM");
    button.setEnabled(false);
    const QImage image = button.grab().toImage();
    int grey = 0;
    for (int x = 0; x < image.width(); ++x)
        grey += (image.pixel(x, 10) | 0xFF000000u) == BitButton::kDisabledTextColour;
    EXPECT_GT(grey, 0);
}

TEST_F(ButtonTest, SetDownRepaintsOnlyOnAChange) {
    upOnly();
    test::PaintCounter counter;
    button.installEventFilter(&counter);
    QCoreApplication::processEvents();
    const int before = counter.paints;
    button.setDown(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, before);
    button.setDown(true);
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints, before);
}

TEST(TabLook, ColoursFromFlags) {
    const QColor white(255, 255, 255);
    const QColor face(240, 240, 240);
    const QColor text(0, 0, 0);
    const TabColours selected = tabColours(true, kLookAll, white, face, text, 32);
    EXPECT_EQ(selected.fill, white); // 230 * 1.9 capped
    EXPECT_EQ(selected.gradientEnd, face);
    EXPECT_TRUE(selected.gradient);
    EXPECT_EQ(selected.text, text);
    const TabColours back = tabColours(false, kLookAll, white, face, text, 32);
    EXPECT_EQ(back.fill, QColor(229, 229, 229));
    EXPECT_EQ(back.gradientEnd, QColor(178, 178, 178));
    EXPECT_EQ(back.text, QColor(25, 25, 25));
    EXPECT_EQ(back.leftEdge, white);
    EXPECT_EQ(back.rightEdge, QColor(171, 171, 171));
    EXPECT_TRUE(back.topEdge);
    EXPECT_FALSE(tabColours(false, kLookAll, white, face, text, 4).gradient); // 16 colours
    const TabColours plain = tabColours(false, 0, QColor(), face, text, 32);
    EXPECT_EQ(plain.fill, QColor(216, 216, 216));
    EXPECT_EQ(plain.text, QColor(120, 120, 120));
    EXPECT_FALSE(plain.topEdge);
    EXPECT_EQ(tabColours(true, kLookCustom | kLookHighlightSelected, white, face, text, 32).fill,
              QColor(255, 255, 255)); // face * 1.4
    EXPECT_EQ(tabColours(false, kLookCustom, white, face, text, 32).fill, white);
}

class TabTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnTabCtrl::setLook(true, kLookAll);
        tabs.setGeometry(0, 0, 300, 100);
        tabs.setBackgroundColour(Qt::white);
        tabs.setDrawMode(2);
        for (const char* text : {"Music", "DEQ", "Mic"})
            tabs.addTab(text);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    }
    void TearDown() override { EnTabCtrl::setLook(false, 0); }
    QRgb at(int x, int y) { return test::pixelAt(tabs, x, y); }

    QApplication& application = test::app();
    QWidget page;
    EnTabCtrl tabs{&page};
};

TEST_F(TabTest, ColoursByPixel) {
    const QRect selected = tabs.tabRect(0);
    const QRect back = tabs.tabRect(1);
    EXPECT_EQ(selected.top(), 0);
    EXPECT_EQ(back.top(), 2);
    EXPECT_EQ(at(selected.center().x(), 1), 0xFFFFFFFFu);
    EXPECT_EQ(at(back.left() + 3, 3), 0xFFE5E5E5u);            // gradient start
    EXPECT_LT(qRed(at(back.left() + 3, back.bottom())), 0xE5); // darker toward the bottom
    EXPECT_EQ(at(back.right(), 10), 0xFFABABABu);              // right edge
    EXPECT_EQ(at(295, 5), 0xFFFFFFFFu);                        // strip background
    EXPECT_EQ(at(150, 99), 0xFFBFBFBFu);                       // border, bottom
    EXPECT_EQ(at(150, 50), tabs.palette().color(QPalette::Window).rgb() | 0xFF000000u);

    EnTabCtrl::setLook(true, kLookAll & ~kLookGradient);
    tabs.update();
    EXPECT_EQ(at(back.left() + 3, back.bottom() - 1), 0xFFE5E5E5u); // flat
}

TEST_F(TabTest, UserSelectionNotifiesAndProgramSelectionDoesNot) {
    QSignalSpy selections(&tabs, &BaseTabCtrl::selectionChanged);
    tabs.setCurrentIndex(1);
    EXPECT_EQ(tabs.currentIndex(), 1);
    EXPECT_EQ(selections.count(), 0);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(2).center());
    EXPECT_EQ(tabs.currentIndex(), 2);
    ASSERT_EQ(selections.count(), 1);
    EXPECT_EQ(selections.at(0).at(0).toInt(), 2);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(2).center());
    EXPECT_EQ(selections.count(), 1);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, QPoint(150, 60)); // the display area
    EXPECT_EQ(tabs.currentIndex(), 2);
    EXPECT_EQ(tabs.displayRect(), QRect(0, 20, 300, 80));
}

} // namespace
} // namespace kesmo
