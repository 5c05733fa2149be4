#pragma once

#include "controls/BaseTabCtrl.h"
#include "controls/TabLook.h"

// The main window's tab strip: the look flags are shared by every instance.
namespace kesmo {

class EnTabCtrl final : public BaseTabCtrl {
    Q_OBJECT
public:
    explicit EnTabCtrl(QWidget* parent = nullptr);

    // Flags become 0 when not enabled.
    static void setLook(bool enabled, int flags);
    static int look();

protected:
    int itemFlags() const override;
    int borderFlags() const override;

private:
    static int s_look;
};

} // namespace kesmo
