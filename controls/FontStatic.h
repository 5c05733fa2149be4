#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A one-line caption in Arial of its own height and colour, over the parent's background.
namespace kesmo {

class FontStatic final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultFontHeight = 14;

    explicit FontStatic(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    // Nothing happens when the colour is unchanged.
    void setTextColour(const QColor& colour);
    QColor textColour() const { return m_textColour; }
    // Left alignment is the default; switched off, the text is centred.
    void setLeftAligned(bool left);
    void setFontHeight(int pixels);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void invalidateWithParent();

    QString m_text;
    QColor m_textColour = Qt::black;
    bool m_leftAligned = true;
    int m_fontHeight = kDefaultFontHeight;
};

} // namespace kesmo
