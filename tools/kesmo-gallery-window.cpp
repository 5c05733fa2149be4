#include "tools/kesmo-gallery-window.h"

#include "resources/DialogBuilder.h"
#include "resources/Skin.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#if __has_include("controls/BitmapSlider.h") && __has_include("controls/BitButton.h") &&           \
                                                              __has_include("controls/SLamp.h")
#define KESMO_GALLERY_CONTROLS 1
#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/SLamp.h"
#endif

namespace kesmo {

namespace {

constexpr int kColumns = 10;

QWidget* tile(const QPixmap& pixmap, const QString& caption, int zoom) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* image = new QLabel;
    image->setPixmap(zoom > 1 ? pixmap.scaled(pixmap.size() * zoom) : pixmap);
    image->setAlignment(Qt::AlignCenter);
    auto* text = new QLabel(caption);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(image, 1);
    layout->addWidget(text);
    return box;
}

QString sizeCaption(int id) {
    const QSize s = skinBitmapSize(id);
    return QStringLiteral("%1  (%2 × %3)").arg(id).arg(s.width()).arg(s.height());
}

QGroupBox* section(const QString& title, QLayout* content) {
    auto* box = new QGroupBox(title);
    box->setLayout(content);
    return box;
}

QLayout* smallBitmaps() {
    auto* grid = new QGridLayout;
    int n = 0;
    for (int id : skinBitmapIds()) {
        const QSize s = skinBitmapSize(id);
        if (s.width() > 400) {
            continue;
        }
        // Small parts at twice their size, so edges and key colours can be judged.
        grid->addWidget(tile(skinBitmap(id), sizeCaption(id), 2), n / kColumns, n % kColumns);
        ++n;
    }
    grid->addWidget(
        tile(handCursor().pixmap().scaled(64, 64), QStringLiteral("151 hand cursor"), 1),
        n / kColumns, n % kColumns);
    ++n;
    grid->addWidget(tile(programIcon().pixmap(64), QStringLiteral("program icon"), 1), n / kColumns,
                    n % kColumns);
    return grid;
}

QLayout* largeBitmaps() {
    auto* row = new QHBoxLayout;
    row->addWidget(
        tile(skinBitmap(bitmap::kMetersChinese), sizeCaption(bitmap::kMetersChinese), 1));
    row->addWidget(
        tile(skinBitmap(bitmap::kMetersEnglish), sizeCaption(bitmap::kMetersEnglish), 1));
    return row;
}

// The main window's background with its top bar built from the template over it.
QWidget* mainWindowPreview() {
    auto* host = new QWidget;
    host->setFixedSize(skinBitmapSize(bitmap::kMainBackground) / 2);
    auto* background = new QLabel(host);
    background->setPixmap(skinBitmap(bitmap::kMainBackground)
                              .scaled(host->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    background->setGeometry(QRect(QPoint(0, 0), host->size()));
    return host;
}

QWidget* stripPreview() {
    auto* strip = new QWidget;
    const BuiltDialog built =
        buildDialog(dialogTemplate(136), strip, [](const ControlTemplate& c, QWidget* parent) {
#ifdef KESMO_GALLERY_CONTROLS
            if (c.kind == ControlKind::BitmapSlider) {
                auto* slider = new BitmapSlider(parent);
                return static_cast<QWidget*>(slider);
            }
#else
            (void)c;
            (void)parent;
#endif
            return static_cast<QWidget*>(nullptr);
        });
#ifdef KESMO_GALLERY_CONTROLS
    if (auto* slider = qobject_cast<BitmapSlider*>(built.control(1291))) {
        slider->setChannelBitmaps(bitmap::kStripChannel, bitmap::kStripChannel);
        slider->setThumbBitmaps(bitmap::kStripThumb, bitmap::kStripThumb, true,
                                QColor::fromRgba(0xFF000000), 0, 0);
        slider->setVertical(true);
        slider->setMargins(18, 1, 0, 2);
        slider->setRange(0, 180);
        slider->setPosInverted(120);
    }
#endif
    strip->setFixedSize(strip->size());
    auto* page = new QWidget;
    page->setAutoFillBackground(true);
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, QColor(kPageColour));
    page->setPalette(palette);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(strip);
    return page;
}

#ifdef KESMO_GALLERY_CONTROLS
QLayout* controls() {
    auto* grid = new QGridLayout;
    auto* page = new QWidget;
    page->setAutoFillBackground(true);
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, QColor(kPageColour));
    page->setPalette(palette);
    auto* pageGrid = new QGridLayout(page);
    int column = 0;
    for (int position : {0, 40, 100}) {
        auto* slider = new BitmapSlider;
        slider->setChannelBitmaps(bitmap::kSliderChannel, bitmap::kSliderActiveChannel);
        slider->setThumbBitmaps(bitmap::kSliderThumb, bitmap::kSliderThumb);
        slider->setRange(0, 100);
        slider->setPos(position);
        slider->setFixedSize(slider->size()); // the layout must keep the bitmap's size
        pageGrid->addWidget(slider, 0, column++);
    }
    struct Pair {
        int up;
        int down;
        const char* text;
    };
    column = 0;
    for (const Pair& p : {Pair{bitmap::kButtonUp, bitmap::kButtonDown, "EQ Reset"},
                          Pair{bitmap::kSelectorUp, bitmap::kSelectorDown, "Echo A"},
                          Pair{bitmap::kSignPlus, bitmap::kSignMinus, ""}}) {
        for (bool down : {false, true}) {
            auto* button = new BitButton;
            button->setBitmaps(p.up, p.up, p.up, p.down, p.down, p.down);
            button->setText(QString::fromUtf8(p.text));
            button->setFixedSize(skinBitmapSize(p.up));
            button->setDown(down);
            pageGrid->addWidget(button, 1, column++);
        }
    }
    for (int level : {0, 140, 200}) {
        auto* lamp = new SLamp;
        lamp->setFixedSize(18, 264);
        lamp->layout();
        lamp->setLevel(level);
        pageGrid->addWidget(lamp, 0, column++, 2, 1);
    }
    grid->addWidget(page, 0, 0);

    auto* bar = new QWidget;
    bar->setAutoFillBackground(true);
    palette.setColor(QPalette::Window, QColor(kTopBarColour));
    bar->setPalette(palette);
    auto* barRow = new QHBoxLayout(bar);
    auto* volume = new BitmapSlider;
    volume->setChannelBitmaps(bitmap::kTopBarChannel, bitmap::kTopBarActiveChannel);
    volume->setThumbBitmaps(bitmap::kTopBarThumb, bitmap::kTopBarThumb);
    volume->setRange(0, 84);
    volume->setPos(50);
    volume->setFixedSize(volume->size());
    barRow->addWidget(volume);
    barRow->addStretch(1);
    for (bool muted : {false, true}) {
        auto* mute = new BitButton;
        mute->setBitmaps(bitmap::kMuteOff, bitmap::kMuteOff, bitmap::kMuteOff, bitmap::kMuteOn,
                         bitmap::kMuteOn, bitmap::kMuteOn);
        mute->setFixedSize(skinBitmapSize(bitmap::kMuteOff));
        mute->setDown(muted);
        barRow->addWidget(mute);
    }
    auto* connect = new BitButton;
    connect->setBitmaps(bitmap::kTopBarButton, bitmap::kTopBarButton, bitmap::kTopBarButton);
    connect->setTextColours({Qt::white, Qt::white, Qt::white, Qt::white, Qt::white, Qt::white});
    connect->setText(QStringLiteral("Connect"));
    connect->setFixedSize(skinBitmapSize(bitmap::kTopBarButton));
    barRow->addWidget(connect);
    grid->addWidget(bar, 1, 0);
    return grid;
}
#endif

} // namespace

GalleryWindow::GalleryWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Kesmo gallery"));
    setWindowIcon(programIcon());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(section(QStringLiteral("Skin bitmaps"), smallBitmaps()));
    layout->addWidget(section(QStringLiteral("Meter pictures 170 and 174"), largeBitmaps()));
    auto* row = new QHBoxLayout;
    row->addWidget(
        section(QStringLiteral("167 main window background (half size)"), new QHBoxLayout));
    static_cast<QGroupBox*>(row->itemAt(0)->widget())->layout()->addWidget(mainWindowPreview());
    auto* stripLayout = new QHBoxLayout;
    stripLayout->addWidget(stripPreview());
    row->addWidget(section(QStringLiteral("Band strip 136"), stripLayout));
#ifdef KESMO_GALLERY_CONTROLS
    row->addWidget(section(QStringLiteral("Controls"), controls()), 1);
#endif
    layout->addLayout(row);
}

bool saveGalleryScreenshot(GalleryWindow& gallery, const QString& file) {
    gallery.adjustSize();
    gallery.show();
    return gallery.grab().save(file, "PNG");
}

} // namespace kesmo
