#pragma once

#include <QLineEdit>

// The System page's text box: single-byte characters only, however they arrive (typed,
// composed or pasted).
namespace kesmo {

class EnglishEdit final : public QLineEdit {
    Q_OBJECT
public:
    static constexpr QRgb kBackgroundColour = 0xFFFAFAFA;

    explicit EnglishEdit(QWidget* parent = nullptr);
};

} // namespace kesmo
