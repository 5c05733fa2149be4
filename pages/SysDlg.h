#pragma once

#include "pages/PageBindings.h"
#include "pages/PageDlg.h"

#include <QString>
#include <array>
#include <cstddef>

class QComboBox;

namespace kesmo {

class EnglishEdit;
class SLamp;

// The System tab: meters, authority, passwords, device settings and stored modes.
class SysDlg final : public PageDlg {
    Q_OBJECT
public:
    SysDlg(PageHost& host, QWidget* parent);

    void refresh() override;
    void refreshTexts() override;
    void applyUiMode(int uiMode) override;

    // LampsArrived while this tab is current: 12 the meter levels, 24 the meter limits.
    void lampsArrived(int which);
    // The link went off line: every meter dark.
    void clearMeters();

    // The mode the mode list has selected, 1..21; 0 when none.
    int selectedMode() const { return m_selectedMode; }

protected:
    std::span<const PageText> texts() const override;
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // One password group: its edits, its "Modify", and where its password lives.
    struct PasswordGroup {
        int oldEdit, newEdit, confirmEdit, modify;
        int length;
        std::size_t blockOffset;
        std::size_t stagingOffset;
        int command;
        QString reference;
    };

    void fillModeList();
    void showAuthorityState();
    void modeChosen(int index);
    void recallMode();
    void storeMode();
    void grantAuthority();
    void updateAuthorityOk();

    void resetPasswordGroup(PasswordGroup& group);
    void updatePasswordChain(const PasswordGroup& group);
    void modifyPassword(PasswordGroup& group, PasswordGroup& other);

    void sliderMoved(int id, int position);
    QString storedPasswordText(const PasswordGroup& group) const;
    void stageStoredSystemPassword();
    QString storedModeName(int mode);

    EnglishEdit* edit(int id) const;
    void setEnabledIds(std::initializer_list<int> ids, bool enabled) const;

    FieldBinder m_binder;
    PasswordGroup m_system;
    PasswordGroup m_panel;
    static constexpr int kMeterCount = 12;
    std::array<SLamp*, kMeterCount> m_meters{};
    int m_selectedMode = 0;
};

} // namespace kesmo
