#include "viewer/glimra_memo.h"

#include "viewer/line_store.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>

namespace glimra {

TGlimraMemo::TGlimraMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setFrameStyle(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(0);
    document()->setModified(false); // a margin counts as an edit
    // The window's own picture shows through behind the text.
    setAttribute(Qt::WA_TranslucentBackground);
    viewport()->setAutoFillBackground(false);
    SetTextColor(Qt::white);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (OnScroll)
            OnScroll(this);
    });
}

int TGlimraMemo::FirstVisibleLine() const {
    return verticalScrollBar()->value();
}

int TGlimraMemo::LineCount() const {
    return static_cast<int>(document()->documentLayout()->documentSize().height());
}

void TGlimraMemo::ScrollToLine(int line) {
    verticalScrollBar()->setValue(line);
}

void TGlimraMemo::SetTextColor(const QColor& color) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::transparent);
    colours.setColor(QPalette::Window, Qt::transparent);
    colours.setColor(QPalette::Text, color);
    setPalette(colours);
}

void TGlimraMemo::LoadFrom(const TLineStore& store) {
    // A memo over a giant log would hold it again as UTF-16 and freeze the window
    // while it lays it out: past MemoLimit it shows the start, read-only, so that
    // nothing of the log can be lost through it.
    QString text;
    std::size_t bytes = 0;
    bool cut = false;
    for (std::size_t i = 0; i < store.LineCount(); ++i) {
        const std::string line = store.Line(i);
        if (bytes + line.size() > MemoLimit) {
            cut = true;
            break;
        }
        bytes += line.size() + 1;
        if (i > 0)
            text += QLatin1Char('\n');
        text += QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    if (cut)
        text += QStringLiteral("\n[ the first %1 KB of %2 KB; a log this big is read-only here ]")
                    .arg(bytes / 1024)
                    .arg(store.RawSize() / 1024);
    setReadOnly(cut);
    setPlainText(text);
    document()->setModified(false);
}

bool TGlimraMemo::StoreInto(TLineStore& store) {
    if (!document()->isModified())
        return false;
    store.SetText(toPlainText().toStdString());
    document()->setModified(false);
    return true;
}

void TGlimraMemo::mouseReleaseEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseReleaseEvent(event);
    if (OnClick)
        OnClick();
}

} // namespace glimra
