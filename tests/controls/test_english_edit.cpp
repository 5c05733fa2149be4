#include "WidgetTestSupport.h"
#include "controls/EnglishEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

namespace kesmo {
namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

class EnglishEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(200, 60);
        edit.setGeometry(10, 10, 150, 24);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
        edit.setFocus();
    }

    QApplication& application = test::app();
    test::Recorder page;
    EnglishEdit edit{&page};
};

// Each step acts on the edit as it stands after the previous ones.
struct Step {
    const char* what;
    enum { Keys, Characters, Paste, Set, Backspace } how;
    const char* text;
    const char* expected;
};

TEST_F(EnglishEditTest, EveryChangeKeepsSingleByteCharactersOnly) {
    const Step steps[] = {
        {"plain keys", Step::Keys, "ab", "ab"},
        {"a Chinese character typed", Step::Characters, "中", "ab"},
        {"Latin-1 letter typed", Step::Characters, "é", "abé"},
        {"pasted mixture keeps its single-byte part", Step::Paste, "x中y", "abéxy"},
        {"a control character pasted", Step::Paste, "1\t2", "abéxy12"},
        {"set by the program", Step::Set, "名A", "A"},
        {"typed after a set", Step::Characters, "字", "A"},
        {"and again", Step::Characters, "文", "A"},
        {"plain key after a set", Step::Keys, "b", "Ab"},
        {"backspace", Step::Backspace, "", "A"},
    };
    for (const Step& s : steps) {
        switch (s.how) {
        case Step::Keys:
            QTest::keyClicks(&edit, s.text);
            break;
        case Step::Characters:
            test::typeCharacters(edit, utf8(s.text));
            break;
        case Step::Paste:
            QGuiApplication::clipboard()->setText(utf8(s.text));
            QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
            break;
        case Step::Set:
            edit.setText(utf8(s.text));
            break;
        case Step::Backspace:
            QTest::keyClick(&edit, Qt::Key_Backspace);
            break;
        }
        EXPECT_EQ(edit.text(), utf8(s.expected)) << s.what;
    }
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(250, 250, 250));
}

TEST_F(EnglishEditTest, ACharacterDroppedInTheMiddleKeepsTheCursorInPlace) {
    edit.setText("abcd");
    edit.setCursorPosition(2);
    test::typeCharacters(edit, utf8("中"));
    test::typeCharacters(edit, "X");
    EXPECT_EQ(edit.text(), "abXcd");
}

TEST_F(EnglishEditTest, AComposedCommitKeepsItsSingleByteCharacters) {
    edit.setText("a");
    QInputMethodEvent compose;
    compose.setCommitString(utf8("b中é"));
    QApplication::sendEvent(&edit, &compose);
    EXPECT_EQ(edit.text(), utf8("abé"));
}

TEST(SingleByteField, TextToDeviceBytesAndBack) {
    struct Case {
        const char* text;
        int size;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"Pop", 8, "Pop     "}, {"é", 3, QByteArray("\xE9  ", 3)},
        {"中x", 3, "?x "},      {"toolongname", 4, "tool"},
        {"", 2, "  "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(singleByteField(utf8(c.text), c.size), c.bytes) << c.text;

    EXPECT_EQ(singleByteText(QByteArray("  Hall   ")), "Hall");
    EXPECT_EQ(singleByteText(QByteArray("Ab\0cd  ", 7)), "Ab");
    EXPECT_EQ(singleByteText(QByteArray("\xE9t\xE9", 3)), utf8("été"));
    EXPECT_EQ(singleByteText(QByteArray(20, '\0')), "");
}

} // namespace
} // namespace kesmo
