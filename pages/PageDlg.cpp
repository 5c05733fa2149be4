#include "pages/PageDlg.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnglishEdit.h"
#include "controls/NumEdit.h"
#include "controls/SLamp.h"
#include "pages/PageHost.h"
#include "resources/Skin.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace kesmo {

void setControlText(QWidget* control, const QString& text) {
    if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
    else if (control != nullptr && control->metaObject()->indexOfProperty("text") >= 0)
        control->setProperty("text", text);
}

QString controlText(const QWidget* control) {
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    if (control != nullptr && control->metaObject()->indexOfProperty("text") >= 0)
        return control->property("text").toString();
    return {};
}

ControlFactory pageControlFactory() {
    return [](const ControlTemplate& c, QWidget* parent) -> QWidget* {
        switch (c.kind) {
        case ControlKind::BitmapSlider: {
            auto* slider = new BitmapSlider(parent);
            const bool vertical = c.rect.height() > c.rect.width();
            slider->setVertical(vertical);
            slider->setChannelBitmaps(bitmap::kSliderChannel, bitmap::kSliderActiveChannel);
            slider->setThumbBitmaps(bitmap::kSliderThumb, bitmap::kSliderThumb);
            return slider;
        }
        case ControlKind::ValueLabel:
            return new Edit_Static(parent);
        case ControlKind::Button: {
            auto* button = new BitButton(parent);
            button->setBitmaps(bitmap::kButtonUp, bitmap::kButtonUp, bitmap::kButtonUp,
                               bitmap::kButtonDown, bitmap::kButtonDown, bitmap::kButtonDown);
            return button;
        }
        case ControlKind::NumEdit:
            return new NumEdit(parent);
        case ControlKind::Edit:
            return new EnglishEdit(parent);
        case ControlKind::Meter:
            return new SLamp(parent);
        default:
            return nullptr;
        }
    };
}

ControlFactory pageControlFactory(ControlFactory first) {
    return [first = std::move(first), fallback = pageControlFactory()](
               const ControlTemplate& c, QWidget* parent) -> QWidget* {
        if (QWidget* widget = first ? first(c, parent) : nullptr)
            return widget;
        return fallback(c, parent);
    };
}

PageDlg::PageDlg(int templateId, PageHost& host, QWidget* parent, const ControlFactory& factory)
    : MessageTarget(parent), m_host(host),
      m_built(buildDialog(dialogTemplate(templateId), this,
                          factory ? pageControlFactory(factory) : pageControlFactory())) {
    setFocusPolicy(Qt::ClickFocus);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void PageDlg::watchKeys(QWidget* control) {
    if (control == nullptr)
        return;
    control->installEventFilter(this);
    for (QWidget* child : control->findChildren<QWidget*>())
        child->installEventFilter(this);
}

namespace {
bool isFocusKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
           event->key() == Qt::Key_Escape;
}
} // namespace

bool PageDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && isFocusKey(static_cast<QKeyEvent*>(event)))
        setFocus(Qt::OtherFocusReason);
    return MessageTarget::eventFilter(watched, event);
}

void PageDlg::refreshTexts() {
    applyTexts(texts());
}

void PageDlg::applyTexts(std::span<const PageText> table) {
    const bool chinese = m_host.languageFlag() != 0;
    for (const PageText& t : table)
        setControlText(control(t.id), QString::fromUtf8(chinese ? t.chinese : t.english));
}

void PageDlg::keyPressEvent(QKeyEvent* event) {
    if (isFocusKey(event)) {
        setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    }
    MessageTarget::keyPressEvent(event);
}

void PageDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(kPageColour));
}

} // namespace kesmo
