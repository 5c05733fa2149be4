#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <span>
#include <vector>

// Dialog templates as data: the window and every control in dialog units, as the original
// program's resources held them.
namespace kesmo {

enum class ControlKind {
    Label,        // static text
    ValueLabel,   // static text a value label takes over (right aligned)
    GroupBox,     // frame with a caption; a sibling drawn under the controls it surrounds
    Button,       // push button a bitmap button takes over
    BitmapSlider, // static placeholder a bitmap slider takes over
    Trackbar,     // standard horizontal trackbar
    NumEdit,      // edit a numeric edit takes over
    Edit,         // single-line edit (the system page's edits accept single-byte text only)
    DropDownList, // combo box; the rectangle's height is that of the open list
    TabControl,   // tab strip over the pages
    ProgressBar,  // standard progress bar
    Meter,        // static placeholder a level meter takes over
    Graph,        // static frame a response graph takes over
};

struct ControlTemplate {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    QRect rect; // dialog units
    QString text;
    QStringList items;
};

struct DialogTemplate {
    int id = 0;
    QSize size; // dialog units
    QString fontFamily;
    int fontPointSize = 9;
    QString caption;
    std::vector<ControlTemplate> controls;

    // The first control with this id, or nullptr.
    const ControlTemplate* control(int controlId) const;
};

// The template of a dialog id (102 main window, 135 music, 136 band strip, 144 dynamic EQ,
// 145 microphone, 146 effect, 147 echo, 148 reverb, 149 output, 164 system, 171 progress,
// 100 About), or nullptr for an id that has none.
const DialogTemplate* dialogTemplate(int id);

// Every dialog id with a template, ascending.
std::span<const int> dialogTemplateIds();

// Items shared by several drop-down lists.
const QStringList& slopeItems();        // the 13 crossover slopes, index = slope code
const QStringList& bandTypeItems();     // "BY", "P", "LS", "HS", index = band type
const QStringList& exciterLevelItems(); // "0" .. "9"

} // namespace kesmo
