#include "pages/Mic_Dlg.h"

namespace kesmo {

namespace {
constexpr PageText kTexts[] = {
    {0, "", ""},
};
} // namespace

Mic_Dlg::Mic_Dlg(PageHost& host, QWidget* parent) : PageDlg(145, host, parent) {}

std::span<const PageText> Mic_Dlg::texts() const {
    return kTexts;
}

} // namespace kesmo
