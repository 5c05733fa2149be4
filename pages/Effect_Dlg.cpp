#include "pages/Effect_Dlg.h"

namespace kesmo {

namespace {
// The selector buttons of the three sub-pages.
constexpr PageText kTexts[] = {
    {1064, "回声A", "EchoA"},
    {1065, "回声B", "EchoB"},
    {1066, "混响", "Reverb"},
};
} // namespace

Effect_Dlg::Effect_Dlg(PageHost& host, QWidget* parent) : PageDlg(146, host, parent) {}

std::span<const PageText> Effect_Dlg::texts() const {
    return kTexts;
}

} // namespace kesmo
