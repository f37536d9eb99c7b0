#include "dialogs/file_dialog.h"

#include "dialogs/file_dialog_layout.h"
#include "graphics/backdrop.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_edit.h"
#include "graphics/original_form.h"
#include "graphics/qt_pixels.h"
#include "platform/file_access.h"
#include "viewer/glimra_memo.h"
#include "viewer/window_host.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

namespace glimra {
namespace {

QString FromBytes(const std::string& s) {
    return QFile::decodeName(QByteArray::fromStdString(s));
}

std::string ToBytes(const QString& s) {
    return QFile::encodeName(s).toStdString();
}

const char* const DialogTitle = "File Information";

} // namespace

TGDialog::TGDialog(TWindowHost& host) : TForm2(host) {
    setWindowTitle(QString::fromLatin1(DialogTitle));
    TitlePath = DialogTitle;
    // Modal before it is first shown: the windows behind take no input meanwhile.
    setWindowModality(Qt::ApplicationModal);
    resize(480, 240);
    OkButton = MakeButton("OK");
    CancelButton = MakeButton("CANCEL");
    PathEdit = MakeEdit();
    NameEdit = MakeEdit();
    // Return in either box answers OK, as in any dialog.
    for (TGlimraEdit* edit : {PathEdit, NameEdit})
        connect(edit, &QLineEdit::returnPressed, this, [this] { ButtonClick(OkButton); });
    const std::string path = Host.DialogPath();
    PathEdit->setText(FromBytes(DirectoryPart(path)));
    NameEdit->setText(FromBytes(FileNamePart(path)));
}

TGDialog::~TGDialog() {
    EndModal();
}

TGlimraButton* TGDialog::MakeButton(const char* caption) {
    auto* button = new TGlimraButton(this);
    button->SetCaption(QString::fromLatin1(caption));
    button->resize(75, 11);
    button->SetFontColor(clYellow);
    button->SetTransparent(1);
    button->hide();
    connect(button, &TGlimraDC::Click, this, [this, button] { ButtonClick(button); });
    return button;
}

TGlimraEdit* TGDialog::MakeEdit() {
    auto* edit = new TGlimraEdit(this);
    edit->resize(409, 23);
    edit->SetColor(clBlack);
    edit->SetFontColor(clWhite);
    edit->SetAlignExtention(geaNone);
    return edit;
}

void TGDialog::InitWindow(bool layered) {
    // The dialog takes no keys or mouse of its own; its skin has no lamp or minimise.
    InputHandlers = false;
    Skin->DialogStyle = true;
    TForm2::InitWindow(layered);
    MiniScrollBar1.Visible = false;
    for (int n = 1; n <= 5; ++n)
        Button(n)->hide();
    GlimraEdit1->hide();
    GlimraDC1->hide();
    OkButton->show();
    CancelButton->show();
    LayOut();
    OpeningActive = false;
}

void TGDialog::OpenFile(const std::string& path) {
    PathEdit->setText(FromBytes(QFileInfo(FromBytes(path)).isDir() ? path : DirectoryPart(path)));
}

void TGDialog::SetMessage(const std::string& text) {
    Message = QString::fromStdString(text);
}

void TGDialog::resizeEvent(QResizeEvent* event) {
    TForm2::resizeEvent(event);
    LayOut();
}

void TGDialog::LayOut() {
    if (!PathEdit)
        return;
    LineHeight = std::max(1, QFontMetrics(font()).height());
    const TFileDialogLayout l =
        LayOutFileDialog(width(), height(), LineHeight, {PathEdit->width(), PathEdit->height()},
                         {OkButton->width(), OkButton->height()});
    auto place = [](QWidget* w, TBounds b) { w->setGeometry(b.Left, b.Top, b.Width, b.Height); };
    place(PathEdit, l.PathEdit);
    place(NameEdit, l.NameEdit);
    OkButton->move(l.OkButton.Left, l.OkButton.Top);
    CancelButton->move(l.CancelButton.Left, l.CancelButton.Top);
    for (TGlimraEdit* edit : {PathEdit, NameEdit})
        edit->setFont(font());
}

void TGDialog::Redraw() {
    const TBackdrop& backdrop = Host.Backdrop();
    if (Closing || !backdrop.Ready() || !WordWrapper || width() <= 0 || height() <= 0)
        return;
    EnsureBitmap(WindowBitmap, width(), height());
    backdrop.Lay(WindowBitmap, 0, 0, x(), y(), width(), height());
    Host.ComposeOverlaps(*this);
    const TRegIniRec& settings = Host.Settings();
    Skin->MemoViewOn = WordWrapper->isVisible();
    Skin->IsActive = IsActiveWindow();
    Skin->ActiveColor = settings.ActiveColor;
    Skin->DeActiveColor = settings.DeActiveColor;
    Skin->FileColor = settings.FileColor;
    // Where a window pixel is finer on the device, the texts are laid again there.
    const qreal ratio = devicePixelRatioF();
    Skin->Apart = ratio > 1.0;
    Skin->DrawSkin(FromBytes(TitlePath), WindowBitmap);
    DeviceText.BeginFrame(WindowBitmap, ratio);
    DrawSkinApart();
    {
        QPainter painter(&WindowBitmap);
        painter.setFont(font());
        painter.setPen(TextColor);
        const QFontMetrics metrics = painter.fontMetrics();
        LineHeight = std::max(1, metrics.height());
        const QRect message =
            QRect(15, LineHeight + 15, width() - 45, height() - 30) & WindowBitmap.rect();
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        painter.drawText(message, flags, Message);
        DeviceText.Add(Message,
                       {message.left(), message.top(), message.right() + 1, message.bottom() + 1},
                       font(), TextColor, flags);
        for (const auto& [edit, label] : {std::pair{PathEdit, QStringLiteral("Path")},
                                          std::pair{NameEdit, QStringLiteral("Filename")}}) {
            const QPoint at(edit->x(), edit->y() - LineHeight - 4);
            painter.drawText(at.x(), at.y() + metrics.ascent(), label);
            DeviceText.Add(label,
                           {at.x(), at.y(), at.x() + metrics.horizontalAdvance(label) + 4,
                            at.y() + LineHeight},
                           font(), TextColor);
        }
    }
    update();
    for (TGlimraEdit* edit : {PathEdit, NameEdit}) {
        edit->UpdateBackground();
        edit->update();
    }
    for (TGlimraButton* button : {OkButton, CancelButton}) {
        button->UpdateBackground();
        button->update();
    }
}

void TGDialog::ButtonClick(TGlimraButton* button) {
    if (button == OkButton) {
        const QString path = PathEdit->text();
        Host.SetDialogPath(
            ComposeDialogPath(ToBytes(path), ToBytes(NameEdit->text()), QFileInfo(path).isDir()));
        ModalResult = 1;
    } else {
        ModalResult = 2;
    }
    close();
}

int TGDialog::ShowModal() {
    SetExternalUpdates(true);
    Host.ResetUpdateCursor();
    show();
    activateWindow();
    // The name is what one changes most: typing replaces it.
    NameEdit->setFocus();
    NameEdit->selectAll();
    Redraw();
    int result = 2;
    QEventLoop loop;
    Loop = &loop;
    ResultSink = &result;
    loop.exec(QEventLoop::DialogExec);
    // The dialog may be gone by now: only locals from here on.
    return result;
}

void TGDialog::EndModal() {
    if (ResultSink)
        *ResultSink = ModalResult == 1 ? 1 : 2;
    if (Loop)
        Loop->quit();
    Loop = nullptr;
    ResultSink = nullptr;
}

void TGDialog::closeEvent(QCloseEvent* event) {
    // The skin's close glyph and the platform's close end it as CANCEL does.
    if (ModalResult == 0)
        ModalResult = 2;
    EndModal();
    Host.CloseDialog(*this);
    event->accept();
}

} // namespace glimra
