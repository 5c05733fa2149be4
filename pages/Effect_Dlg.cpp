#include "pages/Effect_Dlg.h"

namespace kesmo {

namespace {
constexpr PageText kTexts[] = {
    {0, "", ""},
};
} // namespace

Effect_Dlg::Effect_Dlg(PageHost& host, QWidget* parent) : PageDlg(146, host, parent) {}

std::span<const PageText> Effect_Dlg::texts() const {
    return kTexts;
}

} // namespace kesmo
