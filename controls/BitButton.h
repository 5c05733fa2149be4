#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <array>

// The skinned push button. Clicks arrive as the ordinary clicked signal; the down mark is the
// program's two-state mark (selected sub-page, active bypass) and never changes by itself.
namespace kesmo {

// Faces in the order of setBitmaps: up normal, hover, pressed; down normal, hover, pressed.
enum BitButtonFace : int {
    kFaceUpNormal,
    kFaceUpHover,
    kFaceUpPressed,
    kFaceDownNormal,
    kFaceDownHover,
    kFaceDownPressed,
};
int bitButtonFace(bool down, bool pressed, bool hover);

class BitButton final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr QRgb kDisabledTextColour = 0xFF999999;

    explicit BitButton(QWidget* parent = nullptr);

    // Skin ids; a down-state id of 0 falls back to the matching up-state bitmap.
    void setBitmaps(int upNormal, int upHover, int upPressed, int downNormal = 0, int downHover = 0,
                    int downPressed = 0);
    void setDisabledBitmaps(int up, int down = 0);
    void setPixmaps(const std::array<QPixmap, 6>& faces);
    void setDisabledPixmaps(const QPixmap& up, const QPixmap& down = {});
    void setTextColours(const std::array<QColor, 6>& colours);
    // Without the flag, disabled text is drawn embossed.
    void setDisabledTextColour(const QColor& colour, bool use = true);

    // Repaints only when the mark changes. (Hides the pressed look setter of the base class.)
    void setDown(bool down);
    bool down() const { return m_down; }
    bool isHovered() const { return m_hover; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const QPixmap& currentFace() const;

    std::array<QPixmap, 6> m_faces;
    std::array<QPixmap, 2> m_disabledFaces;
    std::array<QColor, 6> m_textColours;
    QColor m_disabledTextColour = QColor::fromRgb(kDisabledTextColour);
    bool m_useDisabledTextColour = true;
    bool m_down = false;
    bool m_hover = false;
};

} // namespace kesmo
