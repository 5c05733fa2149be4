#include "controls/Messaging.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QVariant>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#define KESMO_HANDOVER_RELEASE(p) __tsan_release(p)
#define KESMO_HANDOVER_ACQUIRE(p) __tsan_acquire(p)
#else
#define KESMO_HANDOVER_RELEASE(p) static_cast<void>(p)
#define KESMO_HANDOVER_ACQUIRE(p) static_cast<void>(p)
#endif

namespace kesmo {

namespace {
constexpr const char* kControlIdProperty = "kesmoControlId";
}

MessageEvent::MessageEvent(Message message, std::intptr_t wParam, std::intptr_t lParam)
    : QEvent(eventType()), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

QEvent::Type MessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

const MessageEvent* asMessage(const QEvent* event) {
    KESMO_HANDOVER_ACQUIRE(const_cast<QEvent*>(event));
    if (event == nullptr || event->type() != MessageEvent::eventType())
        return nullptr;
    return static_cast<const MessageEvent*>(event);
}

void postMessage(QObject* target, Message message, std::intptr_t wParam, std::intptr_t lParam) {
    if (target == nullptr)
        return;
    auto* event = new MessageEvent(message, wParam, lParam);
    // Qt's event queue hands the event over under a lock the thread sanitizer cannot see.
    KESMO_HANDOVER_RELEASE(event);
    QCoreApplication::postEvent(target, event);
}

bool sendMessage(QObject* target, Message message, std::intptr_t wParam, std::intptr_t lParam) {
    if (target == nullptr)
        return false;
    MessageEvent event(message, wParam, lParam);
    return QCoreApplication::sendEvent(target, &event);
}

void setControlId(QObject* control, int id) {
    if (control != nullptr)
        control->setProperty(kControlIdProperty, id);
}

int controlId(const QObject* control) {
    if (control == nullptr)
        return 0;
    return control->property(kControlIdProperty).toInt();
}

MessageTarget::MessageTarget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

bool MessageTarget::onMessage(Message, std::intptr_t, std::intptr_t) {
    return false;
}

bool MessageTarget::event(QEvent* event) {
    if (const MessageEvent* message = asMessage(event)) {
        const bool handled = onMessage(message->message(), message->wParam(), message->lParam());
        event->setAccepted(handled);
        return handled;
    }
    return QWidget::event(event);
}

PostingSink::PostingSink(QObject* target) : m_target(target) {}

void PostingSink::post(Message message, std::intptr_t wParam, std::intptr_t lParam) {
    postMessage(m_target, message, wParam, lParam);
}

void PostingSink::postNotice(const char* text, const char* caption) {
    if (m_target == nullptr)
        return;
    // Copied now: the caller's buffers may be gone by the time the UI thread runs.
    const QString body = QString::fromUtf8(text != nullptr ? text : "");
    const QString title = QString::fromUtf8(caption != nullptr ? caption : "");
    QObject* target = m_target;
    QMetaObject::invokeMethod(
        target,
        [target, body, title] {
            auto* window = qobject_cast<QWidget*>(target);
            showNotice(window != nullptr ? window->window() : nullptr, body, title);
        },
        Qt::QueuedConnection);
}

void showNotice(QWidget* parent, const QString& text, const QString& caption) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

} // namespace kesmo
