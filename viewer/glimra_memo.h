#pragma once
#include <QPlainTextEdit>
#include <functional>

namespace glimra {

class TLineStore;

// The transparent edit control over a window: shows and edits the line store while
// the memo view is open. Its text lies exactly where the window draws its lines:
// no frame, no margin, no scroll bars of its own.
class TGlimraMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TGlimraMemo(QWidget* parent);

    std::function<void(TGlimraMemo*)> OnScroll;
    std::function<void()> OnClick;

    int FirstVisibleLine() const;
    // Lines as the memo scrolls them (wrapped lines count once laid out).
    int LineCount() const;
    void ScrollToLine(int line);
    void SetTextColor(const QColor& color);
    // Fills the memo from the store; its text is then unmodified. A store larger than
    // MemoLimit shows its start, read-only.
    static constexpr std::size_t MemoLimit = 1u << 20;
    void LoadFrom(const TLineStore& store);
    // Writes the memo's text back to the store if the user edited it.
    bool StoreInto(TLineStore& store);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace glimra
