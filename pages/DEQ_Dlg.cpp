#include "pages/DEQ_Dlg.h"

namespace kesmo {

namespace {
constexpr PageText kTexts[] = {
    {0, "", ""},
};
} // namespace

DEQ_Dlg::DEQ_Dlg(PageHost& host, QWidget* parent) : PageDlg(144, host, parent) {}

std::span<const PageText> DEQ_Dlg::texts() const {
    return kTexts;
}

} // namespace kesmo
