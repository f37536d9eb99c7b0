#include "graphics/glimra_dc.h"

#include <QMouseEvent>
#include <QPainter>

namespace glimra {

TGlimraDC::TGlimraDC(QWidget* owner) : TSkinned<QWidget>(owner) {
    resize(75, 25);
}

void TGlimraDC::paintEvent(QPaintEvent*) {
    if (!IsInParent())
        return;
    ++Paints;
    QPainter painter(this);
    PaintSkin(painter);
}

void TGlimraDC::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event);
}

void TGlimraDC::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event);
}

void TGlimraDC::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

void TGlimraDC::mouseDoubleClickEvent(QMouseEvent* event) {
    emit DblClick(event);
}

} // namespace glimra
