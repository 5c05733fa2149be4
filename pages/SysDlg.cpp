#include "pages/SysDlg.h"

#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnglishEdit.h"
#include "controls/SLamp.h"
#include "devicelink/Catalogue.h"
#include "devicelink/LinkState.h"
#include "model/ModeImage.h"
#include "pages/PageHost.h"
#include "resources/Skin.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPainter>
#include <QSignalBlocker>
#include <mutex>

namespace kesmo {

namespace {

namespace sys = layout::system;

constexpr int kAuthorityEdit = 1023, kAuthorityOk = 1361, kStatusText = 1412;
constexpr int kModeCombo = 2604, kNameEdit = 2614;
constexpr int kRecall = 1066, kStore = 1067, kExport = 1069, kImport = 1384, kExportAll = 1388,
              kImportAll = 1389;
constexpr int kFirstMeter = 3900;
constexpr int kPhantomCombo = 2600, kInfraredCombo = 2602;
constexpr int kHiddenKeyCaption = 2511, kHiddenKeySlider = 2577, kHiddenKeyLabel = 2557;
constexpr int kSystemPasswordLength = 6, kPanelPasswordLength = 4;
constexpr int kLastNamedMode = 16; // modes 17..21 (F1..F5) are recalled only
constexpr int kModeCount = layout::kStoredModes;

constexpr PageText kStoreAllowText{kStatusText, "有保存权限", "Store Allow"};
constexpr PageText kNoStoreAllowText{kStatusText, "无保存权限", "No Store Allow"};

constexpr PageText kTexts[] = {
    {1365, "保存权限管理", "Save authority management "},
    {1368, "密码修改", "Password modification "},
    {1366, "系统密码验证", "System password verification"},
    {1361, "确定", "OK"},
    {2513, "系统密码修改", "System password modify"},
    {2512, "面板密码锁修改", "Panel password modify"},
    {2592, "旧密码", "Old password"},
    {2590, "旧密码", "Old password"},
    {2593, "新密码", "New password"},
    {2591, "新密码", "New password"},
    {1370, "确认密码", "Confirm password"},
    {1371, "确认密码", "Confirm password"},
    {1065, "修改", "Modify"},
    {1064, "修改", "Modify"},
    {1367, "模式", "Mode"},
    {2514, "模式", "Mode"},
    {2515, "名称", "Name"},
    {1066, "调用设备模式", "Recall Mode"},
    {1067, "保存设备模式", "Store Mode"},
    {1069, "导出", "Export"},
    {1384, "导入", "Import"},
    {1388, "导出所有", "Export all"},
    {1389, "导入所有", "Import all"},
    {1362, "设置", "Setting"},
    {2500, "效果最大音量", "Effect max volume"},
    {2501, "话筒最大音量", "Mic max volume"},
    {2502, "音乐最大音量", "Music max volume"},
    {2503, "后话筒幻像电源", "RearMic Phantom"},
    {2504, "红外遥控", "IR Control"},
    {2505, "输入选择", "Music Input"},
    {2506, "模拟输入灵敏度", "VOD/BGM Sen"},
    {2507, "VOD 输入增益", "VOD input gain"},
    {2508, "BGM 输入增益", "BGM input gain"},
    {2509, "COAX 输入增益", "COAX input gain"},
    {2510, "OPTI/HDMI1~3/ARC 输入增益", "OPTI/HDMI1~3/ARC input gain"},
};

// Every row edits the working system block.
constexpr int kSystemBlock = 0;
constexpr int kVolumeKind = 20, kGainKind = 14;
constexpr double kGainScale = 0.5, kGainOffset = 10.0;
constexpr FieldShape kSensitivityBits{1, 0x0F, 0, 1};
constexpr FieldShape kKeyBits{1, 0xF0, 4, 1};

constexpr SliderRow kSliders[] = {
    {2570, 2550, 0, 70, kVolumeKind, kSystemBlock, sys::kEffectMaxVolume},
    {2571, 2551, 0, 84, kVolumeKind, kSystemBlock, sys::kMicMaxVolume},
    {2572, 2552, 0, 84, kVolumeKind, kSystemBlock, sys::kMusicMaxVolume},
    {2573, 2553, 0, 40, kGainKind, kSystemBlock, sys::kVodGain, kByteField, "", 1, 0, kGainScale,
     kGainOffset},
    {2574, 2554, 0, 40, kGainKind, kSystemBlock, sys::kBgmGain, kByteField, "", 1, 0, kGainScale,
     kGainOffset},
    {2575, 2555, 0, 40, kGainKind, kSystemBlock, sys::kCoaxGain, kByteField, "", 1, 0, kGainScale,
     kGainOffset},
    {2576, 2556, 0, 40, kGainKind, kSystemBlock, sys::kOptiGain, kByteField, "", 1, 0, kGainScale,
     kGainOffset},
    {kHiddenKeySlider, kHiddenKeyLabel, 0, 14, kVolumeKind, kSystemBlock, sys::kSensitivityAndKey,
     kKeyBits, "", 1, 7},
};

constexpr ComboRow kCombos[] = {
    {2603, kSystemBlock, sys::kInputSelect},
    {2601, kSystemBlock, sys::kSensitivityAndKey, kSensitivityBits},
    {kPhantomCombo, kSystemBlock, sys::kRearMicPhantom},
    {kInfraredCombo, kSystemBlock, sys::kInfrared},
};

// The maximum sliders and the top-bar channel whose master volume the main window then lowers
// to the new maximum when it is above it.
struct MaximumSlider {
    int sliderId;
    int topBarChannel; // 0 music, 1 mic, 2 effect
};
constexpr MaximumSlider kMaximumSliders[] = {{2570, 2}, {2571, 1}, {2572, 0}};

// Controls Easy mode disables: the advanced switches and the four input gains with labels.
constexpr int kFullModeOnly[] = {kPhantomCombo, kInfraredCombo, 2573, 2574, 2575,
                                 2576,          2553,           2554, 2555, 2556};

bool isConnected() {
    return linkState().connected != 0;
}

QString modePrefix(int mode) {
    return mode <= kLastNamedMode ? QStringLiteral("%1-").arg(mode)
                                  : QStringLiteral("F%1-").arg(mode - kLastNamedMode);
}

template <class Image> QByteArray fieldBytes(const Image& image, std::size_t offset, int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(image.byte(offset + static_cast<std::size_t>(i)));
    return bytes;
}

template <class Image> void writeFieldBytes(Image& image, std::size_t offset, const QByteArray& b) {
    for (qsizetype i = 0; i < b.size(); ++i)
        image.setByte(offset + static_cast<std::size_t>(i), static_cast<std::uint8_t>(b.at(i)));
}

void stage(std::size_t offset, const QByteArray& bytes) {
    auto& staging = linkState().passwordStaging;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        staging.at(offset + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(bytes.at(i));
}

} // namespace

SysDlg::SysDlg(PageHost& host, QWidget* parent)
    : PageDlg(164, host, parent), m_binder(built(), kSliders, kCombos,
                                           [&store = host.store()](int, std::size_t offset) {
                                               return FieldRef(store.workingSystem, offset);
                                           }),
      m_system{.oldEdit = 2612,
               .newEdit = 2613,
               .confirmEdit = 1024,
               .modify = 1065,
               .length = kSystemPasswordLength,
               .blockOffset = sys::kSystemPassword,
               .stagingOffset = passwordstaging::kNewSystemPassword,
               .command = codeValue(CommandCode::ChangeSystemPassword),
               .reference = {}},
      m_panel{.oldEdit = 2610,
              .newEdit = 2611,
              .confirmEdit = 1369,
              .modify = 1064,
              .length = kPanelPasswordLength,
              .blockOffset = sys::kPanelPassword,
              .stagingOffset = passwordstaging::kNewPanelPassword,
              .command = codeValue(CommandCode::ChangePanelPassword),
              .reference = {}} {
    for (int i = 0; i < kMeterCount; ++i) {
        m_meters[static_cast<std::size_t>(i)] = control<SLamp>(kFirstMeter + i);
        if (m_meters[static_cast<std::size_t>(i)] != nullptr)
            m_meters[static_cast<std::size_t>(i)]->layout();
    }
    m_binder.setUp();
    m_binder.connectCombos([this](int id, int index) { m_binder.comboChanged(id, index); });
    for (int id : {kHiddenKeyCaption, kHiddenKeySlider, kHiddenKeyLabel})
        if (QWidget* hidden = control(id))
            hidden->hide();

    for (PasswordGroup* group : {&m_system, &m_panel}) {
        for (int id : {group->oldEdit, group->newEdit, group->confirmEdit}) {
            if (EnglishEdit* e = edit(id)) {
                e->setMaxLength(group->length);
                connect(e, &QLineEdit::textChanged, this,
                        [this, group] { updatePasswordChain(*group); });
            }
        }
        if (auto* button = control<QAbstractButton>(group->modify)) {
            PasswordGroup* other = group == &m_system ? &m_panel : &m_system;
            connect(button, &QAbstractButton::clicked, this,
                    [this, group, other] { modifyPassword(*group, *other); });
        }
    }
    if (EnglishEdit* authority = edit(kAuthorityEdit)) {
        authority->setMaxLength(kSystemPasswordLength);
        connect(authority, &QLineEdit::textChanged, this, &SysDlg::updateAuthorityOk);
    }
    if (EnglishEdit* name = edit(kNameEdit))
        name->setMaxLength(static_cast<int>(layout::image::kNameSize));
    if (auto* modes = control<QComboBox>(kModeCombo))
        connect(modes, &QComboBox::activated, this, &SysDlg::modeChosen);

    const auto onClick = [this](int id, auto handler) {
        if (auto* button = control<QAbstractButton>(id))
            connect(button, &QAbstractButton::clicked, this, handler);
    };
    onClick(kAuthorityOk, [this] { grantAuthority(); });
    onClick(kRecall, [this] { recallMode(); });
    onClick(kStore, [this] { storeMode(); });
    onClick(kExport, [this] { this->host().exportMode(); });
    onClick(kImport, [this] { this->host().importMode(); });
    onClick(kExportAll, [this] { this->host().exportAll(); });
    onClick(kImportAll, [this] { this->host().importAll(); });

    refreshTexts();
    clearMeters();
}

std::span<const PageText> SysDlg::texts() const {
    return kTexts;
}

EnglishEdit* SysDlg::edit(int id) const {
    return control<EnglishEdit>(id);
}

void SysDlg::setEnabledIds(std::initializer_list<int> ids, bool enabled) const {
    for (int id : ids)
        if (QWidget* w = control(id))
            w->setEnabled(enabled);
}

void SysDlg::refresh() {
    fillModeList();
    showAuthorityState();
    m_binder.refresh();
    resetPasswordGroup(m_panel);
    resetPasswordGroup(m_system);
    updateAuthorityOk();
    if (!isConnected())
        clearMeters();
}

void SysDlg::refreshTexts() {
    PageDlg::refreshTexts();
    const PageText& status = linkState().storeAllowed != 0 ? kStoreAllowText : kNoStoreAllowText;
    applyTexts({&status, 1});
}

void SysDlg::applyUiMode(int uiMode) {
    const bool full = uiMode != 0;
    for (int id : kFullModeOnly) {
        QWidget* w = control(id);
        if (w == nullptr)
            continue;
        w->setEnabled(full);
        if (auto* slider = qobject_cast<BitmapSlider*>(w))
            slider->enable(full);
    }
}

void SysDlg::lampsArrived(int which) {
    if (!isConnected()) {
        clearMeters();
        return;
    }
    const LampState& lamps = linkState().lamps;
    for (std::size_t i = 0; i < m_meters.size(); ++i) {
        if (m_meters[i] == nullptr)
            continue;
        if (which == codeValue(CommandCode::MeterLevels))
            m_meters[i]->setLevel(lamps.levels[i]);
        else
            m_meters[i]->setLimit(lamps.limits[i]);
    }
}

void SysDlg::clearMeters() {
    for (SLamp* meter : m_meters)
        if (meter != nullptr)
            meter->clear();
}

bool SysDlg::onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case Message::SliderTracking:
    case Message::SliderChanged:
        sliderMoved(static_cast<int>(wParam), static_cast<int>(lParam));
        return true;
    case Message::EditCommitted:
        return true;
    default:
        return PageDlg::onMessage(message, wParam, lParam);
    }
}

void SysDlg::paintEvent(QPaintEvent* event) {
    PageDlg::paintEvent(event);
    QPainter painter(this);
    const int id = host().languageFlag() != 0 ? bitmap::kMetersChinese : bitmap::kMetersEnglish;
    painter.drawPixmap(QRect(QPoint(5, 6), skinBitmapSize(bitmap::kMetersChinese)), skinBitmap(id));
}

void SysDlg::sliderMoved(int id, int position) {
    if (m_binder.sliderMoved(id, position) == nullptr)
        return;
    for (const MaximumSlider& m : kMaximumSliders)
        if (m.sliderId == id)
            host().maximumLowered(m.topBarChannel);
}

QString SysDlg::storedModeName(int mode) {
    if (mode < 1 || mode > kModeCount)
        return {};
    return singleByteText(fieldBytes(host().store().storedMode(mode), layout::image::kName,
                                     static_cast<int>(layout::image::kNameSize)));
}

void SysDlg::fillModeList() {
    setEnabledIds({kModeCombo, kNameEdit, kRecall, kStore, kImport, kExportAll, kImportAll}, true);
    auto* modes = control<QComboBox>(kModeCombo);
    EnglishEdit* name = edit(kNameEdit);
    if (modes == nullptr || name == nullptr)
        return;
    const QSignalBlocker quiet(modes);
    modes->clear();
    const LinkState& link = linkState();
    const bool named = link.connected != 0 || link.bankValid != 0;
    for (int k = 1; k <= kModeCount; ++k)
        modes->addItem(modePrefix(k) + (named ? storedModeName(k) : QString()));

    SystemBlock& block = host().store().workingSystem;
    if (named && block.byte(sys::kCurrentMode) == 0)
        block.setByte(sys::kCurrentMode, 1);
    const int current = block.byte(sys::kCurrentMode);
    m_selectedMode = current >= 1 && current <= kModeCount ? current : 0;
    modes->setCurrentIndex(m_selectedMode - 1);
    if (named)
        name->setText(storedModeName(m_selectedMode));
    else
        name->setText(singleByteText(fieldBytes(host().store().working, layout::image::kName,
                                                static_cast<int>(layout::image::kNameSize))));
}

void SysDlg::showAuthorityState() {
    const LinkState& link = linkState();
    const bool connected = link.connected != 0;
    const bool allowed = connected && link.storeAllowed != 0;
    const int current = host().store().workingSystem.byte(sys::kCurrentMode);
    const bool storable = allowed && current >= 1 && current <= kLastNamedMode;

    const PageText& status = allowed ? kStoreAllowText : kNoStoreAllowText;
    applyTexts({&status, 1});
    setEnabledIds({kNameEdit, kStore}, storable);
    setEnabledIds({kImport, kImportAll}, allowed || !connected);
    setEnabledIds({kRecall, kExportAll}, connected || link.bankValid != 0);
    setEnabledIds({kAuthorityEdit}, connected && !allowed);
    setEnabledIds({kModeCombo, kExport}, true);
    updateAuthorityOk();
}

void SysDlg::updateAuthorityOk() {
    EnglishEdit* authority = edit(kAuthorityEdit);
    const bool matches =
        authority != nullptr && authority->isEnabled() && authority->text() == m_system.reference;
    setEnabledIds({kAuthorityOk}, matches);
}

void SysDlg::modeChosen(int index) {
    m_selectedMode = index + 1;
    const LinkState& link = linkState();
    const bool storable = m_selectedMode >= 1 && m_selectedMode <= kLastNamedMode &&
                          link.connected != 0 && link.storeAllowed != 0;
    setEnabledIds({kNameEdit, kStore}, storable);
    if (EnglishEdit* name = edit(kNameEdit))
        name->setText(storedModeName(m_selectedMode));
}

void SysDlg::recallMode() {
    const int n = m_selectedMode;
    if (n < 1 || n > kModeCount)
        return;
    host().sendCommand(codeValue(CommandCode::RecallMode), n);
    host().sendCommand(codeValue(CommandCode::ReadSystemBlock), 0);
}

void SysDlg::stageStoredSystemPassword() {
    // The stored bytes as they stand, so the frame's new value equals its old one exactly.
    stage(passwordstaging::kNewSystemPassword,
          fieldBytes(host().store().workingSystem, sys::kSystemPassword, kSystemPasswordLength));
}

void SysDlg::storeMode() {
    const int n = m_selectedMode;
    const EnglishEdit* name = edit(kNameEdit);
    const LinkState& link = linkState();
    if (name == nullptr || link.connected == 0 || link.storeAllowed == 0 || n < 1 ||
        n > kLastNamedMode)
        return;
    const QByteArray bytes =
        singleByteField(name->text(), static_cast<int>(layout::image::kNameSize));
    {
        // A system block arriving in between rewrites the staging record; the frames must
        // carry what was staged and the whole name.
        std::lock_guard lock(modelLock());
        stageStoredSystemPassword();
        host().sendCommand(codeValue(CommandCode::ChangeSystemPassword), 0);
        ParamStore& store = host().store();
        writeFieldBytes(store.working, layout::image::kName, bytes);
        writeFieldBytes(store.storedMode(n), layout::image::kName, bytes);
        host().sendCommand(codeValue(CommandCode::WriteName), n);
    }
    host().store().workingSystem.setByte(sys::kCurrentMode, static_cast<std::uint8_t>(n));
    fillModeList();
    showAuthorityState();
}

void SysDlg::grantAuthority() {
    EnglishEdit* authority = edit(kAuthorityEdit);
    if (authority == nullptr || authority->text() != m_system.reference)
        return;
    {
        std::lock_guard lock(modelLock());
        stageStoredSystemPassword();
        host().sendCommand(codeValue(CommandCode::ChangeSystemPassword), 0);
    }
    if (isConnected()) {
        linkState().storeAllowed = 1;
        showAuthorityState();
    }
}

QString SysDlg::storedPasswordText(const PasswordGroup& group) const {
    return singleByteText(
        fieldBytes(host().store().workingSystem, group.blockOffset, group.length));
}

void SysDlg::resetPasswordGroup(PasswordGroup& group) {
    group.reference = storedPasswordText(group);
    for (int id : {group.oldEdit, group.newEdit, group.confirmEdit}) {
        if (EnglishEdit* e = edit(id)) {
            const QSignalBlocker quiet(e);
            e->clear();
        }
    }
    setEnabledIds({group.oldEdit}, isConnected());
    setEnabledIds({group.newEdit, group.confirmEdit, group.modify}, false);
}

void SysDlg::updatePasswordChain(const PasswordGroup& group) {
    const EnglishEdit* oldEdit = edit(group.oldEdit);
    const EnglishEdit* newEdit = edit(group.newEdit);
    const EnglishEdit* confirm = edit(group.confirmEdit);
    if (oldEdit == nullptr || newEdit == nullptr || confirm == nullptr)
        return;
    // Each step needs the ones before it, so changing an earlier edit withdraws the later ones.
    const bool oldMatches = oldEdit->isEnabled() && oldEdit->text() == group.reference;
    const bool newComplete = oldMatches && newEdit->text().size() == group.length;
    const bool confirmed = newComplete && confirm->text() == newEdit->text();
    setEnabledIds({group.newEdit}, oldMatches);
    setEnabledIds({group.confirmEdit}, newComplete);
    setEnabledIds({group.modify}, confirmed);
}

void SysDlg::modifyPassword(PasswordGroup& group, PasswordGroup& other) {
    const auto* modify = control<QAbstractButton>(group.modify);
    const EnglishEdit* newEdit = edit(group.newEdit);
    if (modify == nullptr || !modify->isEnabled() || newEdit == nullptr)
        return;
    group.reference = storedPasswordText(group);
    {
        std::lock_guard lock(modelLock());
        stage(group.stagingOffset, singleByteField(newEdit->text(), group.length));
        host().sendCommand(group.command, 0);
    }
    resetPasswordGroup(other);
}

} // namespace kesmo
