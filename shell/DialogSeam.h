#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace kesmo {

// Every modal message box and file dialog of the program goes through the seam in use, so that
// tests answer them instead of a person.
class DialogSeam {
public:
    virtual ~DialogSeam() = default;
    // A modal box with an OK button.
    virtual void message(QWidget* parent, const QString& text, const QString& caption) = 0;
    // nullopt when cancelled. `folder` is where the dialog opens, `filter` a pattern such as
    // "*.dia".
    virtual std::optional<QString> openFile(QWidget* parent, const QString& folder,
                                            const QString& filter) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& folder,
                                            const QString& filter) = 0;
};

// The seam in use: the real dialogs unless a test installed its own (nullptr restores them).
DialogSeam& dialogSeam();
void setDialogSeam(DialogSeam* seam);

} // namespace kesmo
