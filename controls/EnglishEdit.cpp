#include "controls/EnglishEdit.h"

#include "controls/TextFilters.h"

#include <QValidator>

namespace kesmo {

namespace {

// Rejects any edit that would put a character of more than one byte into the text.
class SingleByteValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return typedTextAllowed(input, singleByteCharAllowed) ? Acceptable : Invalid;
    }
};

} // namespace

EnglishEdit::EnglishEdit(QWidget* parent) : QLineEdit(parent) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor::fromRgb(kBackgroundColour));
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    setValidator(new SingleByteValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (QWidget* owner = parentWidget())
            owner->update(geometry().adjusted(2, 2, -2, -2));
    });
}

} // namespace kesmo
