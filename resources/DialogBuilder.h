#pragma once

#include "resources/DialogTemplate.h"
#include "resources/DialogUnits.h"

#include <QWidget>
#include <functional>
#include <map>

namespace kesmo {

// What a page author supplies to put its own class in place of a control: return the widget,
// created as a child of parent, or nullptr to let the builder create the standard one. The
// builder then gives it the template's position, text, items, value-label alignment and id, and
// the template's size unless the factory sized the widget itself (resize).
using ControlFactory = std::function<QWidget*(const ControlTemplate& control, QWidget* parent)>;

// The widgets built from one template, by control id.
class BuiltDialog final {
public:
    BuiltDialog(const DialogTemplate* source, QWidget* root, DialogUnits units)
        : m_template(source), m_root(root), m_units(units) {}

    const DialogTemplate* source() const { return m_template; }
    QWidget* root() const { return m_root; }
    const DialogUnits& units() const { return m_units; }

    // The control of an id, or nullptr for an id the template does not hold.
    QWidget* control(int id) const;
    template <typename T> T* control(int id) const { return qobject_cast<T*>(control(id)); }

    void add(int id, QWidget* widget) { m_controls.emplace(id, widget); }

private:
    const DialogTemplate* m_template;
    QWidget* m_root;
    DialogUnits m_units;
    std::map<int, QWidget*> m_controls;
};

// Sizes `into` to the template in pixels, gives it the template's font and caption, and creates
// every control as its child: through factory first, else a standard Qt widget of the control's
// kind. Group boxes are kept under the other controls. A null template builds nothing.
BuiltDialog buildDialog(const DialogTemplate* source, QWidget* into,
                        const ControlFactory& factory = {});

// The template control id a built widget carries, or 0.
int controlId(const QWidget* widget);

// The font and dialog units of a template.
QFont templateFont(const DialogTemplate& source);
DialogUnits templateUnits(const DialogTemplate& source);

} // namespace kesmo
