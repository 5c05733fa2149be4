#pragma once

#include <QLineEdit>

// The System page's text box: single-byte characters only, however they arrive (typed,
// composed, pasted, dropped or set by the program). Every change is filtered character by
// character, so the edit never holds a refused character for later keystrokes to slip past.
namespace kesmo {

// Characters the edit takes: the printable characters of Latin-1, each one byte on the device
// ("é" is 0xE9). Control characters are refused too: a NUL would cut a name short.
bool englishEditCharAllowed(QChar c);

// The device bytes of an edit's text: one byte per character, cut to `size` and padded with
// spaces. A character that has no single byte becomes '?'.
QByteArray singleByteField(const QString& text, int size);
// The text of a device field: up to the first zero byte, one character per byte, spaces
// trimmed at both ends.
QString singleByteText(const QByteArray& field);

class EnglishEdit final : public QLineEdit {
    Q_OBJECT
public:
    static constexpr QRgb kBackgroundColour = 0xFFFAFAFA;

    explicit EnglishEdit(QWidget* parent = nullptr);
};

} // namespace kesmo
