#pragma once

#include <QString>
#include <QWidget>

namespace kesmo {

// Every skin bitmap and every custom control on one page, to judge the look at a glance.
class GalleryWindow final : public QWidget {
public:
    explicit GalleryWindow(QWidget* parent = nullptr);
};

// Lays the gallery out and saves it as a PNG; false when the file cannot be written.
bool saveGalleryScreenshot(GalleryWindow& gallery, const QString& file);

} // namespace kesmo
