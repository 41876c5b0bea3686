// A picture drawn from an SVG, stretched over the widget's whole area.
#pragma once

#include <QSvgRenderer>
#include <QWidget>

namespace zn::setup {

class PictureWidget : public QWidget {
    Q_OBJECT
public:
    PictureWidget(const QString& resource, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer renderer_;
};

}  // namespace zn::setup
