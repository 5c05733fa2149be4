#include "resources/DialogBuilder.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVariant>
#include <algorithm>

namespace kesmo {

namespace {

constexpr char kControlIdProperty[] = "kesmoControlId";

QWidget* standardControl(const ControlTemplate& control, QWidget* parent) {
    switch (control.kind) {
    case ControlKind::Label:
        return new QLabel(control.text, parent);
    case ControlKind::ValueLabel: {
        auto* label = new QLabel(control.text, parent);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(control.text, parent);
    case ControlKind::Button:
        return new QPushButton(control.text, parent);
    case ControlKind::BitmapSlider:
    case ControlKind::Trackbar: {
        const bool vertical = control.rect.height() > control.rect.width();
        return new QSlider(vertical ? Qt::Vertical : Qt::Horizontal, parent);
    }
    case ControlKind::NumEdit:
    case ControlKind::Edit:
        return new QLineEdit(control.text, parent);
    case ControlKind::DropDownList: {
        auto* combo = new QComboBox(parent);
        combo->addItems(control.items);
        return combo;
    }
    case ControlKind::TabControl:
        return new QTabWidget(parent);
    case ControlKind::ProgressBar:
        return new QProgressBar(parent);
    case ControlKind::Meter:
        return new QFrame(parent);
    case ControlKind::Graph: {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return frame;
    }
    }
    return new QWidget(parent);
}

// A substituted control gets the template's text, list items and alignment where it can show
// them.
void giveTemplateContent(const ControlTemplate& control, QWidget* widget) {
    if (!control.text.isEmpty() && widget->metaObject()->indexOfProperty("text") >= 0) {
        widget->setProperty("text", control.text);
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->count() == 0) {
        combo->addItems(control.items);
    }
    if (auto* label = qobject_cast<QLabel*>(widget);
        label && control.kind == ControlKind::ValueLabel) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

} // namespace

const ControlTemplate* DialogTemplate::control(int controlId) const {
    for (const ControlTemplate& c : controls) {
        if (c.id == controlId) {
            return &c;
        }
    }
    return nullptr;
}

QWidget* BuiltDialog::control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QFont templateFont(const DialogTemplate& source) {
    return dialogFont(source.fontFamily, source.fontPointSize);
}

DialogUnits templateUnits(const DialogTemplate& source) {
    return DialogUnits(templateFont(source));
}

int controlId(const QWidget* widget) {
    return widget ? widget->property(kControlIdProperty).toInt() : 0;
}

BuiltDialog buildDialog(const DialogTemplate* source, QWidget* into,
                        const ControlFactory& factory) {
    if (!source || !into) {
        return BuiltDialog(source, into, DialogUnits(0, 0));
    }
    const QFont font = templateFont(*source);
    BuiltDialog built(source, into, DialogUnits(font));
    const DialogUnits& units = built.units();
    into->setFont(font);
    into->resize(units.toPixels(source->size));
    if (!source->caption.isEmpty()) {
        into->setWindowTitle(source->caption);
    }
    for (const ControlTemplate& control : source->controls) {
        QWidget* widget = factory ? factory(control, into) : nullptr;
        // A substitute the factory sized (a slider takes its bitmap's size) keeps that size;
        // the template places it.
        bool keepSize = false;
        if (!widget) {
            widget = standardControl(control, into);
        } else {
            keepSize = widget->testAttribute(Qt::WA_Resized);
            if (widget->parentWidget() != into) {
                widget->setParent(into);
            }
            giveTemplateContent(control, widget);
        }
        QRect rect = units.toPixels(control.rect);
        if (keepSize) {
            rect.setSize(widget->size());
        } else if (control.kind == ControlKind::DropDownList) {
            // The template's height is the open list's; the closed box is one line high.
            rect.setHeight(std::min(rect.height(), widget->sizeHint().height()));
        }
        widget->setGeometry(rect);
        widget->setProperty(kControlIdProperty, control.id);
        if (control.kind == ControlKind::GroupBox) {
            widget->lower();
        }
        widget->show();
        if (control.id > 0 && !built.control(control.id)) {
            built.add(control.id, widget);
        }
    }
    return built;
}

} // namespace kesmo
