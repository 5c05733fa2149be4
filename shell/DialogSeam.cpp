#include "shell/DialogSeam.h"

#include <QFileDialog>
#include <QMessageBox>

namespace kesmo {

namespace {

class RealDialogs final : public DialogSeam {
public:
    void message(QWidget* parent, const QString& text, const QString& caption) override {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
        box.exec();
    }
    std::optional<QString> openFile(QWidget* parent, const QString& folder,
                                    const QString& filter) override {
        const QString chosen = QFileDialog::getOpenFileName(parent, QString(), folder, filter);
        return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
    }
    std::optional<QString> saveFile(QWidget* parent, const QString& folder,
                                    const QString& filter) override {
        const QString chosen = QFileDialog::getSaveFileName(parent, QString(), folder, filter);
        return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
    }
};

RealDialogs& realDialogs() {
    static RealDialogs dialogs;
    return dialogs;
}

DialogSeam* g_seam = nullptr;

} // namespace

DialogSeam& dialogSeam() {
    return g_seam != nullptr ? *g_seam : realDialogs();
}

void setDialogSeam(DialogSeam* seam) {
    g_seam = seam;
}

} // namespace kesmo
