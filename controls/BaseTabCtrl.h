#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

// A tab strip over a display area. Pages are placed by the owner in displayRect(); the user's
// selections arrive as selectionChanged (programmatic selection sends nothing, as the original
// platform's tab control did).
namespace kesmo {

class BaseTabCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTabRowHeight = 20;
    static constexpr int kTabPadding = 6;
    static constexpr int kFirstTabX = 2;

    explicit BaseTabCtrl(QWidget* parent = nullptr);

    int addTab(const QString& text);
    void setTabText(int index, const QString& text);
    QString tabText(int index) const;
    int count() const { return static_cast<int>(m_tabs.size()); }
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);

    // Where tab index is drawn (the selected tab is two pixels taller and wider each side).
    QRect tabRect(int index) const;
    QRect displayRect() const;

    // An invalid colour means none: the button face is used.
    void setBackgroundColour(const QColor& colour);
    QColor backgroundColour() const { return m_background; }
    // 0 system drawing, 1 the tabs drawn here, 2 the tabs and the border drawn here.
    void setDrawMode(int mode);
    int drawMode() const { return m_drawMode; }

signals:
    void selectionChanged(int index);

protected:
    // Look flags that apply to the tabs and to the border.
    virtual int itemFlags() const { return 0; }
    virtual int borderFlags() const { return 0; }
    virtual int displayDepth() const;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void drawTab(QPainter& painter, int index, bool selected) const;
    void drawBorder(QPainter& painter) const;
    void userSelect(int index);

    QList<QString> m_tabs;
    int m_current = -1;
    QColor m_background;
    int m_drawMode = 0;
};

} // namespace kesmo
