#pragma once

#include <QColor>
#include <QPixmap>

// How the controls reach the skin bitmaps.
namespace kesmo {

// The bitmap of a skin id; null for id 0 or an id the skin does not have.
QPixmap skinPixmap(int id);

// The pixmap with every pixel of the key colour made transparent; an invalid key means the
// colour of pixel (x, y), taken from the nearest pixel inside the bitmap.
QPixmap keyedPixmap(const QPixmap& pixmap, QColor key, int x, int y);

} // namespace kesmo
