#include "resources/DialogBuilder.h"
#include "resources/DialogTemplate.h"
#include "tests/resources/WidgetTestApp.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <set>

namespace kesmo {
namespace {

TEST(DialogUnits, DialogFontGivesTheBaseUnitsOfArialNine) {
    // Liberation Sans is metric-compatible with Arial: 12 px, 52 letters 364 px wide.
    const DialogUnits units(dialogFont(QStringLiteral("Arial"), 9));
    EXPECT_EQ(units.baseX(), 7);
    EXPECT_EQ(units.baseY(), 14);
}

TEST(DialogUnits, ConvertsEachCoordinateRoundingHalfAway) {
    const DialogUnits units(7, 14);
    struct Case {
        QRect du;
        QRect px;
    };
    const Case cases[] = {
        {QRect(38, 2, 67, 11), QRect(67, 4, 117, 19)}, // 66.5 -> 67, 3.5 -> 4
        {QRect(0, 0, 4, 8), QRect(0, 0, 7, 14)},
        {QRect(6, 176, 706, 167), QRect(11, 308, 1236, 292)},
        {QRect(-2, -4, 1, 1), QRect(-4, -7, 2, 2)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(units.toPixels(c.du), c.px) << c.du.x() << "," << c.du.y();
    }
    EXPECT_EQ(units.toPixels(QSize(723, 373)), QSize(1265, 653));
}

TEST(DialogTemplates, EveryDialogOfTheProgramHasATemplate) {
    const std::set<int> expected{100, 102, 135, 136, 144, 145, 146, 147, 148, 149, 164, 171};
    const auto ids = dialogTemplateIds();
    EXPECT_EQ(std::set<int>(ids.begin(), ids.end()), expected);
    struct SizeCase {
        int id;
        QSize du;
    };
    for (const SizeCase& c : {SizeCase{102, {723, 373}},
                              {135, {715, 359}},
                              {136, {26, 139}},
                              {146, {785, 359}},
                              {147, {715, 170}},
                              {164, {715, 420}},
                              {171, {187, 55}}}) {
        ASSERT_NE(dialogTemplate(c.id), nullptr) << c.id;
        EXPECT_EQ(dialogTemplate(c.id)->size, c.du) << c.id;
    }
    EXPECT_EQ(dialogTemplate(999), nullptr);
    EXPECT_EQ(dialogTemplate(0), nullptr);
}

TEST(DialogTemplates, ControlsLieInsideTheirDialogAndIdsAreUnique) {
    for (int id : dialogTemplateIds()) {
        const DialogTemplate& t = *dialogTemplate(id);
        std::set<int> seen;
        for (const ControlTemplate& c : t.controls) {
            SCOPED_TRACE(testing::Message() << "dialog " << id << " control " << c.id);
            // A drop-down list's rectangle includes its open list.
            const QRect closed = c.kind == ControlKind::DropDownList
                                     ? QRect(c.rect.topLeft(), QSize(c.rect.width(), 12))
                                     : c.rect;
            // The main window's tab control overhangs its client by one unit, as in the original.
            const QRect bounds = QRect(QPoint(0, 0), t.size).adjusted(0, 0, 1, 1);
            EXPECT_TRUE(bounds.contains(closed));
            if (c.id > 0) {
                EXPECT_TRUE(seen.insert(c.id).second);
            }
        }
    }
}

TEST(DialogBuilder, BuildsTheMainWindowInPixels) {
    QWidget window;
    const BuiltDialog built = buildDialog(dialogTemplate(102), &window);
    EXPECT_EQ(window.size(), QSize(1265, 653));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Velqor SV-1.08"));
    ASSERT_NE(built.control(3820), nullptr);
    EXPECT_EQ(built.control(3820)->geometry(), QRect(67, 4, 117, 19));
    EXPECT_EQ(built.control(3820)->parentWidget(), &window);
    EXPECT_EQ(controlId(built.control(3820)), 3820);
    EXPECT_NE(built.control<QTabWidget>(1028), nullptr);
    EXPECT_EQ(built.control<QPushButton>(3831)->text(), QStringLiteral("联机"));
    auto* mode = built.control<QComboBox>(1025);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->count(), 2);
    EXPECT_EQ(mode->itemText(1), QString::fromUtf8("全功能模式"));
    EXPECT_LT(mode->height(), built.units().toPixelsY(30)); // closed, not the list's height
}

TEST(DialogBuilder, UnknownIdsAndMissingTemplatesAreHarmless) {
    QWidget window;
    const BuiltDialog built = buildDialog(dialogTemplate(171), &window);
    EXPECT_EQ(built.control(4242), nullptr);
    EXPECT_EQ(built.control<QSlider>(1413), nullptr); // wrong class
    EXPECT_EQ(controlId(nullptr), 0);

    QWidget empty;
    const BuiltDialog none = buildDialog(dialogTemplate(999), &empty);
    EXPECT_EQ(none.source(), nullptr);
    EXPECT_EQ(none.control(1411), nullptr);
    EXPECT_TRUE(empty.children().isEmpty());
}

TEST(DialogBuilder, TheProgressWindowUsesItsOwnFont) {
    QWidget window;
    const BuiltDialog built = buildDialog(dialogTemplate(171), &window);
    const DialogUnits& units = built.units();
    EXPECT_EQ(units.baseY(), QFontMetrics(dialogFont(QStringLiteral("System"), 10)).height());
    EXPECT_EQ(built.control(1411)->geometry(), units.toPixels(QRect(15, 32, 159, 14)));
}

class OwnSlider final : public QWidget {
public:
    using QWidget::QWidget;
};

TEST(DialogBuilder, FactorySubstitutesControlsById) {
    QWidget strip;
    std::vector<int> asked;
    const BuiltDialog built =
        buildDialog(dialogTemplate(136), &strip, [&](const ControlTemplate& c, QWidget* parent) {
            asked.push_back(c.id);
            if (c.id == 1291) {
                return static_cast<QWidget*>(new OwnSlider(parent));
            }
            if (c.id == 1027) {
                return static_cast<QWidget*>(new QLabel(QStringLiteral("old"), nullptr));
            }
            return static_cast<QWidget*>(nullptr);
        });
    EXPECT_EQ(asked.size(), dialogTemplate(136)->controls.size());
    QWidget* slider = built.control(1291);
    ASSERT_NE(dynamic_cast<OwnSlider*>(slider), nullptr);
    EXPECT_EQ(slider->geometry(), QRect(0, 72, 39, 123)); // 0, 41, 22, 70 du at 7 x 14
    // A substitute created without a parent is adopted and given the template text.
    auto* caption = built.control<QLabel>(1027);
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->parentWidget(), &strip);
    EXPECT_EQ(caption->text(), QStringLiteral("1"));
    // The others are the standard ones.
    EXPECT_NE(built.control<QLineEdit>(1022), nullptr);
    EXPECT_EQ(built.control<QComboBox>(1025)->count(), 4);
}

TEST(DialogBuilder, SubstitutesKeepTheSizeAndAlignmentTheyNeed) {
    QWidget page;
    const BuiltDialog built =
        buildDialog(dialogTemplate(135), &page, [](const ControlTemplate& c, QWidget* parent) {
            QWidget* widget = nullptr;
            if (c.id == 1387) {
                widget = new OwnSlider(parent);
                widget->resize(175, 15); // sized by its bitmap
            } else if (c.id == 1038) {
                widget = new OwnSlider(parent); // left to the template
            } else if (c.kind == ControlKind::ValueLabel) {
                widget = new QLabel(parent);
            }
            return widget;
        });
    const DialogUnits& units = built.units();
    EXPECT_EQ(
        built.control(1387)->geometry(),
        QRect(units.toPixels(dialogTemplate(135)->control(1387)->rect).topLeft(), QSize(175, 15)));
    EXPECT_EQ(built.control(1038)->geometry(),
              units.toPixels(dialogTemplate(135)->control(1038)->rect));
    EXPECT_EQ(built.control<QLabel>(1037)->alignment(), Qt::AlignRight | Qt::AlignVCenter);
}

TEST(DialogBuilder, GroupBoxesStayUnderTheirControls) {
    QWidget page;
    const BuiltDialog built = buildDialog(dialogTemplate(164), &page);
    QWidget* edit = built.control(1023); // inside the authority group
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(page.childAt(edit->geometry().center()), edit);
}

} // namespace
} // namespace kesmo
