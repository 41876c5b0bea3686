// The capture chooser's window: made once at program start and reused; it
// shows the three boxes as TwBoth holds them and hands back the ticks.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <array>

#include "capture/chooser.h"

namespace zn {

class ChooserView : public QDialog {
    Q_OBJECT
public:
    explicit ChooserView(QWidget* parent = nullptr);
    // Modal; true when closed with OK, the ticks then copied into dialog.
    bool run(TwBoth& dialog);
    QCheckBox* box(std::size_t source) const { return boxes_[source]; }

protected:
    // The user is in a browser when the chooser opens: it must come up on top.
    void showEvent(QShowEvent* event) override;

private:
    std::array<QCheckBox*, 3> boxes_{};
};

class QtChooserDialog : public ChooserDialog {
public:
    bool runChooser(TwBoth& dialog) override { return view_.run(dialog); }
    ChooserView& view() { return view_; }

private:
    ChooserView view_;
};

}  // namespace zn
