#pragma once

#include "devicelink/LinkState.h"
#include "resources/DialogBuilder.h"

#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <functional>

class QLabel;
class QProgressBar;

namespace kesmo {

// The progress window: a device-lookup notice, a bar over a numbered series of frames, or a
// busy notice while a command awaits its reply. It keeps the user out of its owner while shown
// and cannot be closed by the user.
class Show_Dlg final : public QWidget {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kLookupTick{10};
    static constexpr std::chrono::milliseconds kBusyTick{200};
    static constexpr std::chrono::milliseconds kBarTick{10};
    static constexpr std::chrono::milliseconds kLookupLinger{1000};
    static constexpr std::chrono::milliseconds kBusyLinger{500};

    // `languageFlag` is read at the moment each face is shown.
    Show_Dlg(QWidget* owner, LinkState& link, std::function<int()> languageFlag);

    void lookup();
    void startBar(int count);
    enum class Face { Hidden, Lookup, Bar, Busy };
    Face face() const { return m_face; }

    // Any thread: the bar moves on the UI thread.
    void step(int n);
    void busy();
    void hideWindow();

    int total() const { return m_total; }
    QProgressBar* bar() const { return m_bar; }
    QLabel* label() const { return m_label; }
    bool lookupTimerActive() const { return m_lookupTimer.isActive(); }
    bool busyTimerActive() const { return m_busyTimer.isActive(); }
    // Whether the owner takes input now.
    bool ownerEnabled() const { return m_ownerEnabled; }

signals:
    void faceChanged(Face face);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void barTick();
    void setFace(Face face);
    void showFace(const char* chinese, const char* english, bool centre);
    void setOwnerEnabled(bool enabled);
    void lookupTick();
    void busyTick();

    QWidget* m_owner;
    LinkState& m_link;
    std::function<int()> m_languageFlag;
    BuiltDialog m_built;
    QProgressBar* m_bar = nullptr;
    QLabel* m_label = nullptr;
    int m_total = 0;
    static constexpr int kNoStep = -1;
    std::atomic<int> m_pendingStep{kNoStep};
    bool m_ownerEnabled = true;
    Face m_face = Face::Hidden;
    QTimer m_lookupTimer;
    QTimer m_busyTimer;
    QTimer m_barTimer;
    QTimer m_lookupLinger;
    QTimer m_busyLinger;
};

} // namespace kesmo
