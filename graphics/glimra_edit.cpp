#include "graphics/glimra_edit.h"

#include "graphics/qt_pixels.h"

#include <QKeyEvent>
#include <QPainter>

namespace glimra {

TGlimraEdit::TGlimraEdit(QWidget* owner) : TSkinned<QLineEdit>(owner) {
    // The owner's resizes move the edit as well as its own.
    if (owner)
        owner->installEventFilter(this);
}

void TGlimraEdit::SetAlignExtention(TGEditAlign value) {
    if (value == Align)
        return;
    Align = value;
    ApplyAlignment();
}

void TGlimraEdit::ApplyAlignment() {
    const QWidget* owner = parentWidget();
    if (!owner || Align == geaNone)
        return;
    const TBounds b =
        AlignEdit(Align, owner->width(), owner->height(), {x(), y(), width(), height()});
    if (QRect(b.Left, b.Top, b.Width, b.Height) != geometry())
        setGeometry(b.Left, b.Top, b.Width, b.Height);
}

bool TGlimraEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        ApplyAlignment();
    return TSkinned<QLineEdit>::eventFilter(watched, event);
}

void TGlimraEdit::resizeEvent(QResizeEvent* event) {
    TSkinned<QLineEdit>::resizeEvent(event);
    ApplyAlignment();
}

void TGlimraEdit::paintEvent(QPaintEvent* event) {
    if (hasFocus()) {
        QLineEdit::paintEvent(event);
        return;
    }
    if (!IsInParent())
        return;
    QPainter painter(this);
    PaintSkin(painter);
    painter.setPen(ToQColor(FontColor()));
    painter.drawText(QRect(2, 2, width() - 2, height() - 2), Qt::AlignLeft | Qt::AlignTop, text());
}

void TGlimraEdit::focusInEvent(QFocusEvent* event) {
    TSkinned<QLineEdit>::focusInEvent(event);
    update();
}

void TGlimraEdit::focusOutEvent(QFocusEvent* event) {
    TSkinned<QLineEdit>::focusOutEvent(event);
    update();
}

void TGlimraEdit::keyPressEvent(QKeyEvent* event) {
    if (OnKeyDown)
        OnKeyDown(event);
    TSkinned<QLineEdit>::keyPressEvent(event);
}

void TGlimraEdit::keyReleaseEvent(QKeyEvent* event) {
    if (OnKeyUp)
        OnKeyUp(event);
    TSkinned<QLineEdit>::keyReleaseEvent(event);
}

} // namespace glimra
