#pragma once

#include "model/DataConver.h"

#include <QColor>
#include <QLabel>

// The value label beside a slider: shows a parameter code as text by display kind. The range
// limits only from below; values above the maximum are shown as they are.
namespace kesmo {

class Edit_Static final : public QLabel {
    Q_OBJECT
public:
    explicit Edit_Static(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    void setKind(int kind) { m_kind = kind; }
    void setIntegerFormat(int scale, int offset, const QString& unit = {});
    void setRealFormat(double scale, double offset, const QString& unit = {});
    void setValue(int value);
    int value() const { return m_value; }
    void setTextColour(const QColor& colour);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void invalidateWithParent();

    int m_kind = kKindInteger;
    int m_value = 0;
    DisplayFormat m_format;
    QColor m_textColour = Qt::black;
};

} // namespace kesmo
