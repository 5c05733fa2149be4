#pragma once

#include <QInputMethodEvent>
#include <QString>
#include <string_view>

// Character filters of the program's edits, shared by key and input-method paths.
namespace kesmo {

// Numeric edit: digits, '-', '.', and control characters (backspace, tab) pass.
bool numericCharAllowed(QChar c);
// Single-byte edit: every character that is one byte (Latin-1) passes.
bool singleByteCharAllowed(QChar c);

// Whether typed text passes; text with one rejected character is dropped whole.
bool typedTextAllowed(const QString& text, bool (*allowed)(QChar));

// The input-method event with its committed text filtered through allowed.
void filterInputMethodEvent(const QInputMethodEvent& source, QInputMethodEvent& target,
                            bool (*allowed)(QChar));

// The leading decimal number of a text (optional sign, digits, point, exponent), as the C
// library's atof reads it: 0 when there is none, an infinity on overflow.
double parseLeadingNumber(const QString& text);

} // namespace kesmo
