#include "pages/MainDlg.h"

namespace kesmo {

namespace {
constexpr PageText kTexts[] = {
    {0, "", ""},
};
} // namespace

MainDlg::MainDlg(PageHost& host, QWidget* parent) : PageDlg(149, host, parent) {}

void MainDlg::showGroup(int tab) {
    if (tab >= 4 && tab <= 8)
        m_group = tab;
    refresh();
}

std::span<const PageText> MainDlg::texts() const {
    return kTexts;
}

} // namespace kesmo
