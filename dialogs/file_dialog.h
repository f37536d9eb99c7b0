#pragma once
#include "viewer/viewer_window.h"

#include <string>

class QEventLoop;

namespace glimra {

class TGlimraButton;
class TGlimraEdit;

// The file information dialog: a small modal prompt for a folder and a file name in
// the viewer windows' skin. It is a viewer window with the viewer's controls hidden
// and its own input handlers off; the hub keeps it in its window list while it runs.
class TGDialog : public TForm2 {
    Q_OBJECT
public:
    // Takes its folder and file name from the host's DialogPath.
    explicit TGDialog(TWindowHost& host);
    ~TGDialog() override;

    // Nothing is loaded: a folder, or the folder of a file, becomes the folder text.
    void OpenFile(const std::string& path) override;
    void InitWindow(bool layered) override;
    void Redraw() override;
    void SetMessage(const std::string& text);
    // Places the edits and buttons for the dialog's size and font.
    void LayOut();
    // OK composes the host's DialogPath; either button ends the dialog.
    void ButtonClick(TGlimraButton* button);
    // Shows the dialog and returns 1 (OK) or 2 (cancel) once it has closed.
    int ShowModal();

    TGlimraButton* OkButton = nullptr;
    TGlimraButton* CancelButton = nullptr;
    TGlimraEdit* PathEdit = nullptr;
    TGlimraEdit* NameEdit = nullptr;
    int ModalResult = 0;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TGlimraButton* MakeButton(const char* caption);
    TGlimraEdit* MakeEdit();
    void EndModal();

    QString Message;
    // The running modal loop and where its result goes; both live in ShowModal.
    QEventLoop* Loop = nullptr;
    int* ResultSink = nullptr;
};

} // namespace glimra
