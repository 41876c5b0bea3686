#include "setup/qt/picture_widget.h"

#include <QPainter>

namespace zn::setup {

PictureWidget::PictureWidget(const QString& resource, QWidget* parent)
    : QWidget(parent), renderer_(resource) {
    renderer_.setAspectRatioMode(Qt::IgnoreAspectRatio);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PictureWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    renderer_.render(&painter, QRectF(rect()));
}

}  // namespace zn::setup
