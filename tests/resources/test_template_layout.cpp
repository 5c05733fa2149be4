#include "resources/DialogTemplate.h"
#include "resources/DialogUnits.h"
#include "resources/Skin.h"
#include "tests/resources/WidgetTestApp.h"

#include <QComboBox>
#include <gtest/gtest.h>
#include <vector>

namespace kesmo {
namespace {

// Where a control of a template really sits on screen, in pixels: a closed drop-down list is
// one line high, a slider takes its channel bitmap's size at the placeholder's corner.
QRect screenRect(const DialogTemplate& t, const ControlTemplate& c) {
    const DialogUnits units(dialogFont(t.fontFamily, t.fontPointSize));
    QRect rect = units.toPixels(c.rect);
    if (c.kind == ControlKind::DropDownList) {
        QComboBox combo;
        combo.setFont(dialogFont(t.fontFamily, t.fontPointSize));
        combo.addItem(QStringLiteral("0"));
        rect.setHeight(std::min(rect.height(), combo.sizeHint().height()));
    } else if (c.kind == ControlKind::BitmapSlider) {
        const bool vertical = c.rect.height() > c.rect.width();
        const int channel = t.id == 102 ? bitmap::kTopBarChannel
                            : vertical  ? bitmap::kStripChannel
                                        : bitmap::kSliderChannel;
        rect.setSize(rect.size().expandedTo(skinBitmapSize(channel)));
    }
    return rect;
}

QString describe(const ControlTemplate& c, const QRect& r) {
    return QStringLiteral("%1 (%2,%3 %4x%5 px)")
        .arg(c.id)
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

// No control covers another or the graph, each lies inside its dialog, and a group frame either
// holds a control whole or does not touch it.
TEST(TemplateLayout, NoControlOverlapsAnotherOrLeavesItsDialogOrGroup) {
    for (int id : dialogTemplateIds()) {
        const DialogTemplate& t = *dialogTemplate(id);
        const DialogUnits units(dialogFont(t.fontFamily, t.fontPointSize));
        // The main window's tab control overhangs its client by one unit, as in the original.
        const QRect dialog = QRect(QPoint(0, 0), units.toPixels(t.size)).adjusted(0, 0, 2, 2);
        std::vector<QRect> rects;
        for (const ControlTemplate& c : t.controls)
            rects.push_back(screenRect(t, c));
        for (std::size_t i = 0; i < t.controls.size(); ++i) {
            const ControlTemplate& a = t.controls[i];
            EXPECT_TRUE(dialog.contains(rects[i]))
                << "dialog " << id << ": " << describe(a, rects[i]).toStdString()
                << " leaves the dialog";
            for (std::size_t j = i + 1; j < t.controls.size(); ++j) {
                const ControlTemplate& b = t.controls[j];
                if (!rects[i].intersects(rects[j]))
                    continue;
                const bool aHoldsB = a.kind == ControlKind::GroupBox && rects[i].contains(rects[j]);
                const bool bHoldsA = b.kind == ControlKind::GroupBox && rects[j].contains(rects[i]);
                EXPECT_TRUE(aHoldsB || bHoldsA)
                    << "dialog " << id << ": " << describe(a, rects[i]).toStdString() << " and "
                    << describe(b, rects[j]).toStdString() << " overlap";
            }
        }
    }
}

} // namespace
} // namespace kesmo
