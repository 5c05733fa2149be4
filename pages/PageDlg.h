#pragma once

#include "controls/Messaging.h"
#include "resources/DialogBuilder.h"

#include <span>

namespace kesmo {

class PageHost;

// One control's caption in both languages; LanguageFlag picks one when texts are applied.
struct PageText {
    int id;
    const char* chinese;
    const char* english;
};

// Sets the caption a control shows: a label's or button's text, a group box's title.
void setControlText(QWidget* control, const QString& text);
// The caption a control shows, read back the same way.
QString controlText(const QWidget* control);

// The common shape of every page: built once from its dialog template as a child of the main
// window, and driven by the main window through refresh, refreshTexts and applyUiMode alone.
class PageDlg : public MessageTarget {
    Q_OBJECT
public:
    // `factory` may put page classes in place of template controls; the default factory puts
    // the skinned controls in place of sliders, value labels, buttons, edits and meters.
    PageDlg(int templateId, PageHost& host, QWidget* parent, const ControlFactory& factory = {});

    // Reloads every control from the model.
    virtual void refresh() {}
    // Captions for the host's LanguageFlag; the base applies texts().
    virtual void refreshTexts();
    // Easy mode (0) disables the page's advanced controls; Full mode (1) enables them.
    virtual void applyUiMode(int uiMode) { (void)uiMode; }

    const BuiltDialog& built() const { return m_built; }
    QWidget* control(int id) const { return m_built.control(id); }
    template <typename T> T* control(int id) const { return m_built.control<T>(id); }
    PageHost& host() const { return m_host; }

protected:
    // The page's caption table, applied by refreshTexts.
    virtual std::span<const PageText> texts() const { return {}; }
    void applyTexts(std::span<const PageText> table);

    // Enter and Escape only take the focus to the page, which commits an edit being typed in;
    // neither closes anything.
    void keyPressEvent(QKeyEvent* event) override;
    // The same for a key typed into any control of the page: the page takes the focus first,
    // then the key reaches the control as usual.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Puts the key filter on a control created after the template, and its children.
    void watchKeys(QWidget* control);
    void paintEvent(QPaintEvent* event) override;

private:
    PageHost& m_host;
    BuiltDialog m_built;
};

// The controls every page uses in place of the template's standard ones.
ControlFactory pageControlFactory();
// A factory that asks `first`, then falls back to the page factory.
ControlFactory pageControlFactory(ControlFactory first);

} // namespace kesmo
