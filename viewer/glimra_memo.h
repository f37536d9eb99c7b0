#pragma once
#include <QPlainTextEdit>
#include <functional>

namespace glimra {

class TLineStore;

// The transparent edit control over a window: shows and edits the line store while
// the memo view is open.
class TGlimraMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TGlimraMemo(QWidget* parent);

    std::function<void(TGlimraMemo*)> OnScroll;

    int FirstVisibleLine() const;
    void ScrollToLine(int line);
    // Fills the memo from the store; its text is then unmodified.
    void LoadFrom(const TLineStore& store);
    // Writes the memo's text back to the store if the user edited it.
    bool StoreInto(TLineStore& store);
};

} // namespace glimra
