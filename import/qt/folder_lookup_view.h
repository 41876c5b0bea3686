// The folder field: a line edit for the path and a browse button at its right
// end. The text lives in the TOrvFolderLookup; the view mirrors it.
#pragma once

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>
#include <functional>

#include "import/folder_lookup.h"

namespace zn {

class FolderLookupView : public QWidget {
    Q_OBJECT
public:
    // browse runs the field's Browse through the caller's dispatcher.
    FolderLookupView(TOrvFolderLookup& logic, std::function<void()> browse,
                     QWidget* parent = nullptr);
    // Shows the logic's text and enabled states.
    void showLogic();
    QLineEdit* edit() const { return edit_; }
    QToolButton* browseButton() const { return button_; }

private:
    TOrvFolderLookup& logic_;
    QLineEdit* edit_;
    QToolButton* button_;
};

}  // namespace zn
