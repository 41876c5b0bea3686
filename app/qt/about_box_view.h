// The first-run about box: the quick-start guide.
#pragma once

#include <QDialog>

#include "app/about_box.h"
#include "app/handler_dispatcher.h"

namespace zn {

class AboutBoxView : public QDialog {
    Q_OBJECT
public:
    AboutBoxView(TwAbout& logic, const HandlerDispatcher& dispatcher, QWidget* parent = nullptr);
};

}  // namespace zn
