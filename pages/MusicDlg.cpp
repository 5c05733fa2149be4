#include "pages/MusicDlg.h"

namespace kesmo {

namespace {
constexpr PageText kTexts[] = {
    {0, "", ""},
};
} // namespace

MusicDlg::MusicDlg(PageHost& host, QWidget* parent) : PageDlg(135, host, parent) {}

std::span<const PageText> MusicDlg::texts() const {
    return kTexts;
}

} // namespace kesmo
