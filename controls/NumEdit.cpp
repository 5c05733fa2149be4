#include "controls/NumEdit.h"

#include "controls/BitmapSlider.h"
#include "controls/ControlMath.h"
#include "controls/Messaging.h"
#include "controls/TextFilters.h"
#include "model/DataConver.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kesmo {

namespace {

// Typed values within this much of a range limit count as on it (0.2 * 60 - 24 is not -12).
constexpr double kLimitTolerance = 1e-9;

} // namespace

QString numEditText(int kind, int code, const QString& unit, double scale, double offset) {
    switch (kind) {
    case kEditFrequency: {
        const double hz = eqFrequencyHz(code);
        return QString::asprintf(hz >= 101.0 ? "%.0f" : "%.1f", hz) + unit;
    }
    case kEditQ:
        return QString::asprintf("%0.3f", qValue(code));
    default:
        return QString::asprintf("%0.1f", code * scale - offset);
    }
}

NumEdit::NumEdit(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(false);
    connect(this, &QLineEdit::textEdited, this, [this] { m_modified = true; });
}

void NumEdit::setKind(int kind, const QString& unit) {
    m_kind = kind;
    m_unit = unit;
    rewriteText();
}

void NumEdit::setRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
    m_value = minimum;
}

void NumEdit::setValue(int value) {
    if (value < m_minimum || value > m_maximum)
        return;
    m_value = value;
    rewriteText();
}

int NumEdit::getValue() {
    if (m_modified) {
        if (const auto code = parsedCode(Parse::Silent))
            m_value = clampToRange(*code);
        m_modified = false;
    }
    return m_value;
}

void NumEdit::setBuddy(BitmapSlider* slider) {
    m_buddy = slider;
}

int NumEdit::clampToRange(int value) const {
    return std::max(m_minimum, std::min(value, m_maximum));
}

std::optional<int> NumEdit::parsedCode(Parse mode) const {
    double x = parseLeadingNumber(text());
    const bool clamp = mode == Parse::Clamped;
    switch (m_kind) {
    case kEditFrequency:
        if (!clamp && (x < kMinTypedFrequencyHz || x > kMaxTypedFrequencyHz))
            return std::nullopt;
        return nearestFrequencyCode(std::clamp(x, kMinTypedFrequencyHz, kMaxTypedFrequencyHz));
    case kEditQ:
        return nearestQCode(std::clamp(x, kMinQ, kMaxQ));
    default: {
        if (m_scale == 0.0)
            return std::nullopt;
        double low = m_minimum * m_scale - m_offset;
        double high = m_maximum * m_scale - m_offset;
        if (low > high)
            std::swap(low, high);
        if (clamp)
            x = std::clamp(x, low, high);
        else if (x < low - kLimitTolerance || x > high + kLimitTolerance)
            return std::nullopt;
        // Ten times both terms keeps one-decimal input exact (0.6 dB is code 123, not 122).
        return truncToInt(((x + m_offset) * 10.0) / (m_scale * 10.0));
    }
    }
}

void NumEdit::invalidateParent() {
    if (QWidget* parent = parentWidget())
        parent->update(geometry());
}

void NumEdit::rewriteText() {
    setText(numEditText(m_kind, m_value, m_unit, m_scale, m_offset));
    invalidateParent();
}

void NumEdit::sendCommitted() {
    sendMessage(parentWidget(), Message::EditCommitted, 0, controlId(this));
}

void NumEdit::commitOnFocusLoss() {
    const auto code = parsedCode(Parse::Clamped);
    if (m_modified) {
        if (code)
            m_value = clampToRange(*code);
        m_modified = false;
        rewriteText();
        sendCommitted();
    } else if (m_kind == kEditFrequency && code) {
        m_value = clampToRange(*code);
    }
    invalidateParent();
    if (m_buddy)
        m_buddy->setFocusLook(false);
}

void NumEdit::stepBy(int step) {
    const long long next = static_cast<long long>(m_value) + step;
    if (next > m_maximum || next < m_minimum) {
        m_value = step > 0 ? m_maximum : m_minimum;
        return;
    }
    m_value = static_cast<int>(next);
    rewriteText();
    sendCommitted();
}

void NumEdit::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    if (!ctrl && event->key() == Qt::Key_Up)
        stepBy(1);
    else if (!ctrl && event->key() == Qt::Key_Down)
        stepBy(-1);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The page moves the focus on Enter (which commits); the edit only rewinds the caret.
        setCursorPosition(0);
        event->ignore();
        return;
    }
    if (event->matches(QKeySequence::Paste) ||
        (!ctrl && !typedTextAllowed(event->text(), numericCharAllowed))) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumEdit::inputMethodEvent(QInputMethodEvent* event) {
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filterInputMethodEvent(*event, filtered, numericCharAllowed);
    QLineEdit::inputMethodEvent(&filtered);
}

void NumEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (m_buddy)
        m_buddy->setFocusLook(true);
    invalidateParent();
    selectAll();
}

void NumEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu borrows the focus without the user leaving the edit.
    if (event->reason() != Qt::PopupFocusReason)
        commitOnFocusLoss();
}

void NumEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        sendCommitted();
        invalidateParent();
    }
    QLineEdit::mousePressEvent(event);
}

void NumEdit::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const int step = m_wheel.add(delta);
    if (step < 0)
        setValue(m_value > std::numeric_limits<int>::min() ? m_value - 1 : m_value);
    else if (step > 0)
        setValue(m_value < std::numeric_limits<int>::max() ? m_value + 1 : m_value);
    sendCommitted();
}

} // namespace kesmo
