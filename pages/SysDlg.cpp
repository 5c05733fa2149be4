#include "pages/SysDlg.h"

namespace kesmo {

namespace {
constexpr PageText kTexts[] = {
    {0, "", ""},
};
} // namespace

SysDlg::SysDlg(PageHost& host, QWidget* parent) : PageDlg(164, host, parent) {}

void SysDlg::lampsArrived(int) {}

void SysDlg::clearMeters() {}

std::span<const PageText> SysDlg::texts() const {
    return kTexts;
}

} // namespace kesmo
