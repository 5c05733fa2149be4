#pragma once

#include "controls/Messaging.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>
#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

namespace kesmo::test {

// One application for the whole test program.
inline QApplication& app() {
    static int argc = 1;
    static char name[] = "controls-test";
    static char* argv[] = {name, nullptr};
    static auto* application = new QApplication(argc, argv);
    return *application;
}

struct Received {
    Message message;
    std::intptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const Received&) const = default;
    friend void PrintTo(const Received& r, std::ostream* os) {
        *os << "{0x" << std::hex << static_cast<std::uint32_t>(r.message) << std::dec << ", "
            << r.wParam << ", " << r.lParam << "}";
    }
};

// A page stand-in that records the messages it receives.
class Recorder final : public MessageTarget {
public:
    using MessageTarget::MessageTarget;
    std::vector<Received> messages;

    std::vector<Received> take() {
        QCoreApplication::sendPostedEvents();
        return std::exchange(messages, {});
    }

protected:
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override {
        messages.push_back({message, wParam, lParam});
        return true;
    }
};

// A pixmap of one colour.
inline QPixmap solid(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return QPixmap::fromImage(image);
}

inline QRgb pixelAt(QWidget& widget, int x, int y) {
    return widget.grab().toImage().pixel(x, y) | 0xFF000000u;
}

// Types text that has no key of its own (a character from an input method or a layout).
inline void typeCharacters(QWidget& widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &release);
}

// Counts paint events a widget receives.
class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace kesmo::test
