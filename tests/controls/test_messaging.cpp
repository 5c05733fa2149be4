#include "WidgetTestSupport.h"
#include "controls/Messaging.h"
#include "devicelink/LinkState.h"

#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

namespace kesmo {
namespace {

using test::Received;

class MessagingTest : public ::testing::Test {
protected:
    void TearDown() override { setMessageSink(nullptr); }

    QApplication& application = test::app();
    test::Recorder window;
};

TEST_F(MessagingTest, PostIsQueuedAndSendIsImmediate) {
    postMessage(&window, Message::SliderChanged, 3820, 42);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(sendMessage(&window, Message::EditCommitted, 0, 7));
    EXPECT_EQ(window.messages, (std::vector<Received>{{Message::EditCommitted, 0, 7}}));
    EXPECT_EQ(window.take(), (std::vector<Received>{{Message::EditCommitted, 0, 7},
                                                    {Message::SliderChanged, 3820, 42}}));
    postMessage(nullptr, Message::PortLost);
    EXPECT_FALSE(sendMessage(nullptr, Message::PortLost));
}

TEST_F(MessagingTest, ControlIdsTravelWithTheWidget) {
    QWidget control;
    EXPECT_EQ(controlId(&control), 0);
    setControlId(&control, 3821);
    EXPECT_EQ(controlId(&control), 3821);
    EXPECT_EQ(controlId(nullptr), 0);
}

TEST_F(MessagingTest, SinkDeliversWorkerPostsInOrderOnTheUiThread) {
    PostingSink sink(&window);
    setMessageSink(&sink);
    std::thread worker([] {
        for (int i = 0; i < 100; ++i)
            kesmo::postMessage(Message::LampsArrived, 12, i);
        kesmo::postMessage(Message::PortLost, 1, 0x7F);
    });
    worker.join();
    QTRY_COMPARE(window.messages.size(), std::size_t{101});
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(window.messages[static_cast<std::size_t>(i)],
                  (Received{Message::LampsArrived, 12, i}));
    EXPECT_EQ(window.messages.back(), (Received{Message::PortLost, 1, 0x7F}));
}

TEST_F(MessagingTest, NoticeBecomesAModelessBoxOnTheUiThread) {
    PostingSink sink(&window);
    setMessageSink(&sink);
    std::thread worker([] {
        std::string text = "串口打开失败";
        kesmo::postNotice(text.c_str(), "Kesmo");
        text.assign(text.size(), 'x'); // the caller's buffer may change at once
    });
    worker.join();
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = window.findChild<QMessageBox*>()) != nullptr);
    EXPECT_EQ(box->text(), QString::fromUtf8("串口打开失败"));
    EXPECT_EQ(box->windowTitle(), "Kesmo");
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_TRUE(box->isVisible());
    box->close();
}

} // namespace
} // namespace kesmo
