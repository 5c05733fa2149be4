#pragma once

#include "devicelink/Messages.h"

#include <QEvent>
#include <QWidget>
#include <cstdint>

class QObject;

// The program's window messages on Qt: posting queues a MessageEvent to the target's thread
// (safe from any thread); sending calls the target's handler at once (UI thread only).
namespace kesmo {

class MessageEvent final : public QEvent {
public:
    MessageEvent(Message message, std::intptr_t wParam, std::intptr_t lParam);

    static QEvent::Type eventType();

    Message message() const { return m_message; }
    std::intptr_t wParam() const { return m_wParam; }
    std::intptr_t lParam() const { return m_lParam; }

private:
    Message m_message;
    std::intptr_t m_wParam;
    std::intptr_t m_lParam;
};

// The message an event carries, or null when it is not a message.
const MessageEvent* asMessage(const QEvent* event);

// Queues the message for the target; a null target drops it.
void postMessage(QObject* target, Message message, std::intptr_t wParam = 0,
                 std::intptr_t lParam = 0);
// Delivers the message to the target before returning; returns whether it was handled.
bool sendMessage(QObject* target, Message message, std::intptr_t wParam = 0,
                 std::intptr_t lParam = 0);

// The numeric id a dialog template gives a control, carried by the widget (0 when unset).
void setControlId(QObject* control, int id);
int controlId(const QObject* control);

// Pages and windows derive from this to receive messages.
class MessageTarget : public QWidget {
    Q_OBJECT
public:
    explicit MessageTarget(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

protected:
    // Returns whether the message was handled.
    virtual bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam);
    bool event(QEvent* event) override;
};

// The device link's sink: posts every message to one target; notices become message boxes
// that the UI thread shows without blocking anyone. Unregister it (setMessageSink(nullptr))
// and stop the worker before the target goes.
class PostingSink final : public MessageSink {
public:
    explicit PostingSink(QObject* target);

    void post(Message message, std::intptr_t wParam, std::intptr_t lParam) override;
    void postNotice(const char* text, const char* caption) override;

private:
    QObject* m_target;
};

// Shows a modeless message box with an OK button, deleted when closed.
void showNotice(QWidget* parent, const QString& text, const QString& caption);

} // namespace kesmo
