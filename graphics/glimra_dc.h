#pragma once
#include "graphics/skinned_control.h"

#include <QWidget>

namespace glimra {

// The picture control every piece of a window's skin is made of. It has no
// background of its own: the owner draws its client area into one bitmap and
// calls UpdateBackground, and the control composes its image from it.
class TGlimraDC : public TSkinned<QWidget> {
    Q_OBJECT
public:
    explicit TGlimraDC(QWidget* owner);

    // Paints so far, for the tests.
    long long PaintCount() const { return Paints; }

signals:
    void Click();
    void DblClick(QMouseEvent* event);
    void MouseDown(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseUp(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    long long Paints = 0;
};

} // namespace glimra
