#pragma once

#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <span>

// The skin: every bitmap of the program by its resource id, drawn by our own code on first use
// and cached for the life of the process. Call from the UI thread, after QApplication exists.
namespace kesmo {

namespace bitmap {
inline constexpr int kTopBarThumb = 133;
inline constexpr int kTopBarChannel = 134;
inline constexpr int kStripThumb = 137;
inline constexpr int kStripChannel = 138;
inline constexpr int kSliderThumb = 141;
inline constexpr int kSliderChannel = 142;
inline constexpr int kButtonUp = 152;
inline constexpr int kButtonDown = 154;
inline constexpr int kSliderActiveChannel = 155;
inline constexpr int kSelectorDown = 157;
inline constexpr int kSelectorUp = 158;
inline constexpr int kSignMinus = 160;
inline constexpr int kSignPlus = 161;
inline constexpr int kMainBackground = 167;
inline constexpr int kTopBarButton = 168;
inline constexpr int kTopBarActiveChannel = 169;
inline constexpr int kMetersChinese = 170;
inline constexpr int kMuteOff = 172;
inline constexpr int kMuteOn = 173;
inline constexpr int kMetersEnglish = 174;
} // namespace bitmap

inline constexpr int kHandCursorId = 151;

// Pixels of this colour are the transparent parts of bitmaps drawn through a key-colour mask.
inline constexpr QRgb kSkinKeyColour = 0xFFFF00FF;

// Colours the bitmaps are drawn on, for widgets that must blend with them.
inline constexpr QRgb kPageColour = 0xFFE4E6E9;   // light brushed aluminium of the pages
inline constexpr QRgb kTopBarColour = 0xFF24272C; // the main window's top bar
inline constexpr QRgb kAccentColour = 0xFFFF8A1E; // orange of lit channels and pressed buttons

// Every id skinBitmap knows, ascending.
std::span<const int> skinBitmapIds();

// The bitmap of a resource id; a null pixmap for an id the skin does not have.
const QPixmap& skinBitmap(int id);

// Its size without drawing it; an empty size for an unknown id.
QSize skinBitmapSize(int id);

// The program's hand cursor (resource 151).
const QCursor& handCursor();

// The program icon, drawn at the usual icon sizes.
const QIcon& programIcon();

} // namespace kesmo
