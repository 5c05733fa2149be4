#pragma once

#include "controls/EnglishEdit.h"
#include "pages/SysDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

// Driving the System page as a user does: clicks, typing and list choices by real events.
namespace kesmo::test {

inline void clickControl(const SysDlg& page, int id) {
    QWidget* button = page.control(id);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

// Replaces the edit's text by typing; characters beyond ASCII arrive as a keyboard layout
// sends them, as key events carrying the text.
inline void typeInto(const SysDlg& page, int id, const QString& text) {
    EnglishEdit* e = page.control<EnglishEdit>(id);
    e->setFocus();
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Backspace);
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(e, c.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(e, &press);
    }
}

// Picks an item with the keyboard, as a user does on a closed list.
inline void chooseItem(const SysDlg& page, int comboId, int index) {
    auto* c = page.control<QComboBox>(comboId);
    c->setFocus();
    QTest::keyClick(c, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(c, Qt::Key_Down);
    ASSERT_EQ(c->currentIndex(), index);
}

} // namespace kesmo::test
