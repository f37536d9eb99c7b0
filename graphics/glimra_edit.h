#pragma once
#include "graphics/control_geometry.h"
#include "graphics/skinned_control.h"

#include <QLineEdit>
#include <functional>

namespace glimra {

// A real single-line edit that shows the translucent skin while it does not
// have the keyboard focus, and the plain edit box while it has. It can centre
// itself in its owner and snap to the top, middle or bottom.
class TGlimraEdit : public TSkinned<QLineEdit> {
    Q_OBJECT
public:
    explicit TGlimraEdit(QWidget* owner);

    TGEditAlign AlignExtention() const { return Align; }
    void SetAlignExtention(TGEditAlign value);

    std::function<void(QKeyEvent*)> OnKeyDown;
    std::function<void(QKeyEvent*)> OnKeyUp;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void ApplyAlignment();

    TGEditAlign Align = geaNone;
};

} // namespace glimra
