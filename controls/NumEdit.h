#pragma once

#include "controls/ControlMath.h"

#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <optional>

// The text box for typing a parameter value. It holds the stored code, shows it by kind and
// sends EditCommitted (wParam 0, lParam the control id) to its parent, which then calls
// getValue.
namespace kesmo {

class BitmapSlider;

enum NumEditKind : int {
    kEditFrequency = 4,
    kEditQ = 11,
    kEditScaled = 23,
};

// The text of a code by kind: frequency with its unit, Q, or code * scale - offset.
QString numEditText(int kind, int code, const QString& unit, double scale, double offset);

class NumEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit NumEdit(QWidget* parent = nullptr);

    void setKind(int kind, const QString& unit = {});
    int kind() const { return m_kind; }
    // Puts the value at the minimum; the text stays until the next rewrite.
    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setScale(double scale) { m_scale = scale; }
    void setOffset(double offset) { m_offset = offset; }
    // Values outside the range are ignored.
    void setValue(int value);
    // Reads typed text into the value first (without clamping or notifying).
    int getValue();
    void setBuddy(BitmapSlider* slider);
    bool isUserModified() const { return m_modified; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    enum class Parse { Clamped, Silent };
    // The code the text stands for; none when the text is to be ignored.
    std::optional<int> parsedCode(Parse mode) const;
    int clampToRange(int value) const;
    void rewriteText();
    void commitOnFocusLoss();
    void stepBy(int step);
    void sendCommitted();
    void invalidateParent();

    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 0;
    int m_kind = kEditScaled;
    QString m_unit;
    double m_scale = 1.0;
    double m_offset = 0.0;
    bool m_modified = false;
    WheelAccumulator m_wheel;
    QPointer<BitmapSlider> m_buddy;
};

} // namespace kesmo
