#include "WidgetTestSupport.h"
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "controls/TextFilters.h"

#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <gtest/gtest.h>

namespace kesmo {
namespace {

using test::Received;

constexpr int kId = 1200;

TEST(NumEditText, ByKind) {
    struct Case {
        int kind, code;
        const char* unit;
        double scale, offset;
        const char* text;
    };
    const Case cases[] = {
        {kEditFrequency, 0, "Hz", 0, 0, "19.7Hz"},  {kEditFrequency, 361, "Hz", 0, 0, "20600Hz"},
        {kEditFrequency, 84, "Hz", 0, 0, "99.0Hz"}, {kEditFrequency, 85, "Hz", 0, 0, "101Hz"},
        {kEditFrequency, 204, "", 0, 0, "1000"},    {kEditQ, 0, "", 0, 0, "0.400"},
        {kEditQ, 100, "", 0, 0, "128.000"},         {kEditScaled, 60, "", 0.2, 24, "-12.0"},
        {kEditScaled, 180, "", 0.2, 24, "12.0"},    {kEditScaled, 123, "", 0.2, 24, "0.6"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numEditText(c.kind, c.code, c.unit, c.scale, c.offset), c.text) << c.text;
}

TEST(ParseLeadingNumber, ReadsLikeAtof) {
    const std::pair<const char*, double> cases[] = {
        {"", 0},   {"-", 0},   {"abc", 0}, {"12.5Hz", 12.5}, {"-3", -3}, {".5", 0.5}, {"5.", 5},
        {" 7", 7}, {"1-2", 1}, {"--4", 0}, {"2e3x", 2000},   {"2e", 2},  {"+8", 8},
    };
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(parseLeadingNumber(text), value) << text;
    EXPECT_TRUE(std::isinf(parseLeadingNumber(QString(400, u'9'))));
}

class NumEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(300, 100);
        other.setGeometry(0, 50, 100, 20);
        edit.setGeometry(0, 0, 100, 20);
        setControlId(&edit, kId);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
        frequency();
    }
    void frequency() {
        edit.setKind(kEditFrequency, "Hz");
        edit.setRange(0, 361);
        edit.setValue(100);
    }
    void scaled(int minimum, int maximum) {
        edit.setScale(0.2);
        edit.setOffset(24);
        edit.setRange(minimum, maximum);
        edit.setKind(kEditScaled);
        edit.setValue(120);
    }
    void enter() {
        edit.setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(edit.hasFocus());
    }
    void leave() {
        other.setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(other.hasFocus());
    }
    void typeAndLeave(const QString& text) {
        enter();
        QTest::keyClicks(&edit, text);
        leave();
    }
    void wheel(int delta) {
        const QPointF at(5, 5);
        QWheelEvent event(at, edit.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&edit, &event);
    }
    static std::vector<Received> committed(std::size_t times = 1) {
        return std::vector<Received>(times, Received{Message::EditCommitted, 0, kId});
    }

    QApplication& application = test::app();
    test::Recorder page;
    QLineEdit other{&page};
    NumEdit edit{&page};
};

TEST_F(NumEditTest, LettersCannotBeTyped) {
    enter();
    QTest::keyClicks(&edit, "1a2B.3-x");
    EXPECT_EQ(edit.text(), "12.3-");
    test::typeCharacters(edit, QString::fromUtf8("中"));
    test::typeCharacters(edit, QString::fromUtf8("é"));
    EXPECT_EQ(edit.text(), "12.3-");
}

TEST_F(NumEditTest, TypedValuesCommitOnFocusLoss) {
    struct Case {
        const char* name;
        int kind;
        int minimum, maximum;
        const char* typed;
        int value;
        const char* text;
    };
    const Case cases[] = {
        {"lowest frequency", kEditFrequency, 0, 361, "5", 0, "19.7Hz"},
        {"highest frequency", kEditFrequency, 0, 361, "30000", 361, "20600Hz"},
        {"table frequency", kEditFrequency, 0, 361, "1000", 204, "1000Hz"},
        {"lone minus", kEditFrequency, 0, 361, "-", 0, "19.7Hz"},
        {"gain below limit", kEditScaled, 60, 180, "-20", 60, "-12.0"},
        {"gain one decimal", kEditScaled, 0, 180, "0.6", 123, "0.6"},
        {"gain above limit", kEditScaled, 0, 180, "99", 180, "12.0"},
        {"Q above", kEditQ, 0, 100, "200", 100, "128.000"},
        {"Q below", kEditQ, 0, 100, "0.1", 0, "0.400"},
    };
    for (const auto& c : cases) {
        if (c.kind == kEditScaled)
            scaled(c.minimum, c.maximum);
        else if (c.kind == kEditQ) {
            edit.setRange(c.minimum, c.maximum);
            edit.setKind(kEditQ);
        } else
            frequency();
        page.take();
        typeAndLeave(c.typed);
        EXPECT_EQ(edit.getValue(), c.value) << c.name;
        EXPECT_EQ(edit.text(), c.text) << c.name;
        EXPECT_EQ(page.messages, committed()) << c.name;
        page.messages.clear();
    }
}

TEST_F(NumEditTest, LeavingWithoutTypingSendsNothing) {
    enter();
    leave();
    EXPECT_TRUE(page.take().empty());
    EXPECT_EQ(edit.getValue(), 100);
    typeAndLeave("1000");
    page.messages.clear();
    enter();
    leave();
    EXPECT_TRUE(page.take().empty());
}

TEST_F(NumEditTest, SilentCommitParsesWithoutClampingOrNotifying) {
    enter();
    QTest::keyClicks(&edit, "1000");
    EXPECT_EQ(edit.getValue(), 204);
    EXPECT_EQ(edit.text(), "1000");
    QTest::keyClicks(&edit, "00"); // 100000 Hz is outside the typed range: ignored
    EXPECT_EQ(edit.getValue(), 204);
    EXPECT_TRUE(page.messages.empty());
    leave(); // modified was cleared by getValue
    EXPECT_TRUE(page.messages.empty());

    scaled(60, 180);
    enter();
    QTest::keyClicks(&edit, "-12");
    EXPECT_EQ(edit.getValue(), 60);
    edit.selectAll();
    QTest::keyClicks(&edit, "-13");
    EXPECT_EQ(edit.getValue(), 60);
    edit.selectAll();
    QTest::keyClicks(&edit, "3");
    EXPECT_EQ(edit.getValue(), 135);
}

TEST_F(NumEditTest, ArrowsStepAndStopAtTheLimits) {
    edit.setValue(360);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.getValue(), 361);
    EXPECT_EQ(edit.text(), "20600Hz");
    EXPECT_EQ(page.messages, committed());
    page.messages.clear();
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.getValue(), 361);
    EXPECT_TRUE(page.messages.empty());
    QTest::keyClick(&edit, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_TRUE(page.messages.empty());

    edit.setValue(0);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.getValue(), 0);
    EXPECT_TRUE(page.messages.empty());
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.getValue(), 1);
    EXPECT_EQ(page.messages, committed());
}

// Records where the caret was when each message arrived.
class CaretProbe final : public MessageTarget {
public:
    using MessageTarget::MessageTarget;
    NumEdit* edit = nullptr;
    std::vector<int> caretAtMessage;

protected:
    bool onMessage(Message message, std::intptr_t, std::intptr_t) override {
        if (message == Message::EditCommitted)
            caretAtMessage.push_back(edit->cursorPosition());
        return true;
    }
};

TEST_F(NumEditTest, ClickSendsCommittedBeforeItIsProcessed) {
    CaretProbe probe(&page);
    probe.setGeometry(0, 0, 200, 40);
    NumEdit clicked(&probe);
    probe.edit = &clicked;
    clicked.setGeometry(0, 0, 100, 20);
    clicked.setKind(kEditFrequency, "Hz");
    clicked.setRange(0, 361);
    clicked.setValue(204);
    probe.show();
    clicked.setFocus(Qt::TabFocusReason);
    clicked.setCursorPosition(4);
    QTest::mouseClick(&clicked, Qt::LeftButton, {}, QPoint(1, 10));
    EXPECT_EQ(probe.caretAtMessage, std::vector<int>{4});
    EXPECT_EQ(clicked.cursorPosition(), 0);
}

TEST_F(NumEditTest, WheelStepsAndAlwaysCommits) {
    wheel(60);
    EXPECT_EQ(edit.getValue(), 100);
    wheel(60);
    EXPECT_EQ(edit.getValue(), 101);
    wheel(-120);
    EXPECT_EQ(edit.getValue(), 100);
    EXPECT_EQ(page.messages, committed(3));
    edit.setValue(361);
    wheel(120);
    EXPECT_EQ(edit.getValue(), 361);
}

TEST_F(NumEditTest, EnterRewindsTheCaretAndKeepsTheFocus) {
    enter();
    QTest::keyClicks(&edit, "250");
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_TRUE(edit.hasFocus());
    EXPECT_EQ(edit.cursorPosition(), 0);
    EXPECT_EQ(edit.text(), "250");
}

TEST_F(NumEditTest, BuddyShowsFocusLookWhileTheEditHasFocus) {
    BitmapSlider slider(&page);
    slider.setGeometry(0, 80, 50, 10);
    edit.setBuddy(&slider);
    enter();
    EXPECT_TRUE(slider.hasFocusLook());
    EXPECT_TRUE(edit.hasSelectedText());
    leave();
    EXPECT_FALSE(slider.hasFocusLook());
}

TEST_F(NumEditTest, SetValueOutsideTheRangeIsIgnored) {
    edit.setValue(362);
    EXPECT_EQ(edit.getValue(), 100);
    edit.setValue(-1);
    EXPECT_EQ(edit.getValue(), 100);
    edit.setRange(10, 20);
    EXPECT_EQ(edit.getValue(), 10);
}

} // namespace
} // namespace kesmo
