#include "resources/Skin.h"
#include "tests/resources/WidgetTestApp.h"
#include "tools/kesmo-gallery-window.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kesmo {
namespace {

// Whether the 811 x 344 meter picture appears unscaled somewhere in the shot.
bool containsMeterPicture(const QImage& shot, const QImage& picture) {
    const QRgb probe = picture.pixel(100, 100);
    for (int y = 0; y + picture.height() <= shot.height(); ++y) {
        for (int x = 0; x + picture.width() <= shot.width(); ++x) {
            if (shot.pixel(x, y) != picture.pixel(0, 0) || shot.pixel(x + 100, y + 100) != probe ||
                shot.pixel(x + 810, y + 343) != picture.pixel(810, 343)) {
                continue;
            }
            if (shot.copy(x, y, picture.width(), picture.height()) == picture) {
                return true;
            }
        }
    }
    return false;
}

TEST(Gallery, ScreenshotShowsTheSkin) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("gallery.png"));
    GalleryWindow gallery;
    ASSERT_TRUE(saveGalleryScreenshot(gallery, file));
    const QImage shot(file);
    ASSERT_FALSE(shot.isNull());
    EXPECT_GE(shot.width(), 2 * 811);
    const QImage english =
        skinBitmap(bitmap::kMetersEnglish).toImage().convertToFormat(shot.format());
    const QImage chinese =
        skinBitmap(bitmap::kMetersChinese).toImage().convertToFormat(shot.format());
    EXPECT_TRUE(containsMeterPicture(shot, english));
    EXPECT_TRUE(containsMeterPicture(shot, chinese));
}

TEST(Gallery, UnwritablePathFails) {
    GalleryWindow gallery;
    EXPECT_FALSE(saveGalleryScreenshot(gallery, QStringLiteral("/nonexistent-dir/x.png")));
}

} // namespace
} // namespace kesmo
