#include "shell/Show_Dlg.h"

#include "shell/ShellTexts.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

namespace kesmo {

Show_Dlg::Show_Dlg(QWidget* owner, LinkState& link, std::function<int()> languageFlag)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_owner(owner),
      m_link(link), m_languageFlag(std::move(languageFlag)),
      m_built(buildDialog(dialogTemplate(171), this)) {
    m_bar = m_built.control<QProgressBar>(1411);
    m_label = m_built.control<QLabel>(1413);
    if (m_label != nullptr)
        m_label->setAlignment(Qt::AlignCenter);
    if (m_bar != nullptr)
        m_bar->setTextVisible(false);
    setFixedSize(size());
    // Input to the owner stops while the window shows, without greying the owner's controls.
    setWindowModality(Qt::WindowModal);
    m_lookupTimer.setInterval(kLookupTick);
    m_busyTimer.setInterval(kBusyTick);
    m_barTimer.setInterval(kBarTick);
    connect(&m_barTimer, &QTimer::timeout, this, &Show_Dlg::barTick);
    m_lookupLinger.setSingleShot(true);
    m_lookupLinger.setInterval(kLookupLinger);
    m_busyLinger.setSingleShot(true);
    m_busyLinger.setInterval(kBusyLinger);
    connect(&m_lookupTimer, &QTimer::timeout, this, &Show_Dlg::lookupTick);
    connect(&m_busyTimer, &QTimer::timeout, this, &Show_Dlg::busyTick);
    connect(&m_lookupLinger, &QTimer::timeout, this, [this] {
        setOwnerEnabled(true);
        m_lookupTimer.stop();
        setFace(Face::Hidden);
        hide();
    });
    connect(&m_busyLinger, &QTimer::timeout, this, &Show_Dlg::hideWindow);
    hide();
}

void Show_Dlg::setFace(Face face) {
    if (face == m_face)
        return;
    m_face = face;
    emit faceChanged(face);
}

void Show_Dlg::setOwnerEnabled(bool enabled) {
    m_ownerEnabled = enabled;
}

void Show_Dlg::showFace(const char* chinese, const char* english, bool centre) {
    const bool zh = m_languageFlag && m_languageFlag() != 0;
    setWindowTitle(QString::fromUtf8(zh ? chinese : english));
    if (centre && m_owner != nullptr) {
        const QPoint middle = m_owner->mapToGlobal(m_owner->rect().center());
        move(middle - QPoint(width() / 2, height() / 2));
    }
    setOwnerEnabled(false);
    show();
}

void Show_Dlg::lookup() {
    const bool zh = m_languageFlag && m_languageFlag() != 0;
    m_label->setText(QString::fromUtf8(kLookupText.pick(zh)));
    m_label->show();
    m_bar->hide();
    m_lookupLinger.stop();
    showFace(kLookupCaption.chinese, kLookupCaption.english, true);
    setFace(Face::Lookup);
    m_lookupTimer.start();
}

void Show_Dlg::startBar(int count) {
    m_total = count;
    m_pendingStep.store(kNoStep);
    m_barTimer.start();
    m_bar->setRange(0, count);
    m_bar->setValue(0);
    m_bar->show();
    m_label->hide();
    showFace(kTransferCaption.chinese, kTransferCaption.english, true);
    setFace(Face::Bar);
}

void Show_Dlg::step(int n) {
    // The transport thread only leaves the number; the bar timer shows it.
    m_pendingStep.store(n, std::memory_order_release);
}

void Show_Dlg::barTick() {
    const int n = m_pendingStep.exchange(kNoStep, std::memory_order_acquire);
    if (n == kNoStep)
        return;
    m_bar->setValue(n);
    if (n == m_total) {
        m_barTimer.stop();
        setOwnerEnabled(true);
        setFace(Face::Hidden);
        hide();
    }
}

void Show_Dlg::busy() {
    const bool zh = m_languageFlag && m_languageFlag() != 0;
    m_label->setText(QString::fromUtf8(kBusyText.pick(zh)));
    m_label->show();
    m_bar->hide();
    showFace(kTransferCaption.chinese, kTransferCaption.english, false);
    setFace(Face::Busy);
    m_busyLinger.stop();
    m_busyTimer.start();
}

void Show_Dlg::hideWindow() {
    setOwnerEnabled(true);
    m_busyTimer.stop();
    m_busyLinger.stop();
    m_barTimer.stop();
    setFace(Face::Hidden);
    hide();
}

void Show_Dlg::lookupTick() {
    // The notice stays a moment after the lookup ended; the wait runs on a timer so the window
    // keeps painting.
    if (m_link.connectAttempt == 0 && !m_lookupLinger.isActive())
        m_lookupLinger.start();
}

void Show_Dlg::busyTick() {
    if (m_link.replyPending == 0 && !m_busyLinger.isActive())
        m_busyLinger.start();
}

void Show_Dlg::closeEvent(QCloseEvent* event) {
    // The user cannot close it; the program closing its windows on exit can.
    if (event->spontaneous())
        event->ignore();
    else
        event->accept();
}

void Show_Dlg::keyPressEvent(QKeyEvent* event) {
    // Escape would close a dialog; nothing closes this one but the link.
    event->accept();
}

} // namespace kesmo
