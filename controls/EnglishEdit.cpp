#include "controls/EnglishEdit.h"

#include <QValidator>
#include <algorithm>

namespace kesmo {

bool englishEditCharAllowed(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u <= 0xFF);
}

QByteArray singleByteField(const QString& text, int size) {
    QByteArray field(size, ' ');
    const int n = std::min<int>(size, static_cast<int>(text.size()));
    for (int i = 0; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        field[i] = static_cast<char>(u <= 0xFF ? u : u'?');
    }
    return field;
}

QString singleByteText(const QByteArray& field) {
    const qsizetype end = field.indexOf('\0');
    return QString::fromLatin1(end < 0 ? field : field.left(end)).trimmed();
}

namespace {

// Drops every refused character and keeps the cursor after the characters kept before it.
class SingleByteFilter final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        QString kept;
        kept.reserve(input.size());
        int keptPos = 0;
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (!englishEditCharAllowed(input.at(i)))
                continue;
            kept.append(input.at(i));
            if (i < pos)
                ++keptPos;
        }
        input = kept;
        pos = keptPos;
        return Acceptable;
    }
};

} // namespace

EnglishEdit::EnglishEdit(QWidget* parent) : QLineEdit(parent) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor::fromRgb(kBackgroundColour));
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    setValidator(new SingleByteFilter(this));
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (QWidget* owner = parentWidget())
            owner->update(geometry().adjusted(2, 2, -2, -2));
    });
}

} // namespace kesmo
