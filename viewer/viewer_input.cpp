// How a viewer window reacts to the user: keys, mouse, its File, Notify, Auto and
// Module buttons, the commands of its two menus, dropped files and help.
#include "common/text_utils.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_edit.h"
#include "graphics/glimra_popup_menu.h"
#include "modules/module_set.h"
#include "platform/file_access.h"
#include "platform/shell_files.h"
#include "platform/top_level_windows.h"
#include "viewer/file_sys_monitor.h"
#include "viewer/glimra_memo.h"
#include "viewer/viewer_window.h"
#include "viewer/window_host.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWindow>

namespace glimra {
namespace {

constexpr const char* ManualFile = "GLIMRA.html";
constexpr const char* ManualTitle = "GLIMRA operation manual";

} // namespace

std::string DroppedName(const std::string& path) {
    // 255 characters, never a UTF-8 sequence cut in two.
    std::size_t characters = 0, end = 0;
    while (end < path.size() && characters < 255) {
        ++end;
        while (end < path.size() && (static_cast<unsigned char>(path[end]) & 0xC0) == 0x80)
            ++end;
        ++characters;
    }
    return path.substr(0, end);
}

void TForm2::CreateMenus() {
    struct TCommand {
        const char* Caption;
        void (TForm2::*Run)();
    };
    const TCommand commands[] = {
        {"NEW", &TForm2::NewWindowCommand},       {"Open File.", &TForm2::OpenFolderCommand},
        {"Save File.", &TForm2::SaveFileCommand}, {"-", nullptr},
        {"CLEAR.", &TForm2::ClearCommand},        {"-", nullptr},
        {"Setup.", &TForm2::SetupCommand},        {"Help.", &TForm2::HelpCommand},
        {"CLOSE.", &TForm2::CloseCommand}};
    FileMenu = std::make_unique<TGlimraCPopupMenu>([this] { Repaint(); });
    for (const TCommand& command : commands) {
        std::function<void(TGlimraCPopupMenu&)> run;
        // The menu is gone before the command runs: a dialog it opens is not drawn
        // over, and the buttons it switches are not blocked by an open menu.
        if (command.Run)
            run = [this, go = command.Run](TGlimraCPopupMenu&) {
                CloseMenus();
                (this->*go)();
            };
        FileMenu->AddItem(QString::fromLatin1(command.Caption), false, std::move(run));
    }
    ModuleMenu = std::make_unique<TGlimraCPopupMenu>([this] { Repaint(); });
    TModuleSet& modules = Host.Modules();
    for (std::size_t i = 0; i < ModuleInstances.size(); ++i) {
        auto index = static_cast<std::int32_t>(i);
        ModuleMenu->AddItem(QString::fromStdString(modules.GetModuleNameAt(index)),
                            modules.IsModuleVisible(index, ModuleInstances[i]),
                            [this](TGlimraCPopupMenu& menu) { ModuleItemClick(menu); });
    }
    connect(GlimraButton1, &TGlimraDC::Click, this, &TForm2::GlimraButton1Click);
    connect(GlimraButton5, &TGlimraDC::Click, this, &TForm2::GlimraButton5Click);
    // The form sees every key before the memo and the modules' edit box do.
    WordWrapper->installEventFilter(this);
    GlimraEdit1->installEventFilter(this);
    setAcceptDrops(true);
}

bool TForm2::MenuShows() const {
    return (FileMenu && FileMenu->Shown()) || (ModuleMenu && ModuleMenu->Shown());
}

void TForm2::DrawMenus() {
    for (TGlimraCPopupMenu* menu : {FileMenu.get(), ModuleMenu.get()}) {
        menu->DrawTo(WindowBitmap);
        if (menu->Shown())
            DeviceText.DrewOver({menu->X, menu->Y, menu->X + menu->Image().width(),
                                 menu->Y + menu->Image().height()});
    }
}

void TForm2::CloseMenus() {
    if (!MenuShows())
        return;
    FileMenu->CloseUp();
    ModuleMenu->CloseUp();
    Repaint();
}

void TForm2::NotifyButtonClick() {
    HideBadges();
    if (!MenuShows())
        GlimraButton2Click();
}

void TForm2::AutoButtonClick() {
    if (!MenuShows())
        GlimraButton3Click();
}

void TForm2::GlimraButton1Click() {
    if (ModuleMenu->Shown())
        return;
    SetMemoView(false);
    FileMenu->Popup(GlimraButton1->x(), GlimraButton1->y() + GlimraButton1->height() + 1);
    Repaint();
}

void TForm2::GlimraButton5Click() {
    SetMemoView(false);
    if (FileMenu->Shown() || ModuleInstances.empty())
        return;
    TModuleSet& modules = Host.Modules();
    for (std::size_t i = 0; i < ModuleMenu->Items.size() && i < ModuleInstances.size(); ++i)
        ModuleMenu->Items[i]->Checked =
            modules.IsModuleVisible(static_cast<std::int32_t>(i), ModuleInstances[i]);
    ModuleMenu->Popup(GlimraButton5->x(), GlimraButton5->y() + GlimraButton5->height() + 1);
    Repaint();
}

void TForm2::ModuleItemClick(TGlimraCPopupMenu& sender) {
    const auto index = static_cast<std::size_t>(sender.ItemIndex);
    if (index >= sender.Items.size() || index >= ModuleInstances.size())
        return;
    TGlimraMenuItem& item = *sender.Items[index];
    item.Checked = !item.Checked;
    Host.Modules().SetModuleVisible(static_cast<std::int32_t>(index), ModuleInstances[index],
                                    item.Checked);
    PlaceModules();
    Repaint();
}

void TForm2::NewWindowCommand() {
    Host.NewWindow();
    if (ActiveWindow)
        ActiveWindow->show();
}

void TForm2::OpenFolderCommand() {
    std::string folder = DirectoryPart(Follower->FilePath);
    // After CLEAR. there is no file: the program's own folder, as before the first one.
    ShellOpen(this, folder.empty() ? ProgramFolder() : folder);
}

void TForm2::SaveFileCommand() {
    // The window whose menu asks is the one the prompt starts from and saves.
    ActiveWindow = this;
    // The prompt says which encoding the file was read in: the one the save writes.
    const TEncodingChoice encoding = Store.Encoding();
    if (Host.RunFileDialog("Input filename and press OK to save.\nEncoding: " +
                           std::string(EncodingName(encoding.Encoding)) +
                           (encoding.BomSize ? " with byte-order mark" : "")) == 1)
        SaveToFile(Host.DialogPath());
}

void TForm2::SetupCommand() {
    // Only the ticker is stopped; a module's own updates do not switch it on.
    if (AutoMode)
        GlimraButton3Click();
    Host.ShowSetup();
}

void TForm2::HelpCommand() {
    if (!TopLevelWindowExists(ManualTitle))
        ShellOpen(this, ProgramFolder() + "/" + ManualFile);
}

void TForm2::CloseCommand() {
    close();
}

void TForm2::FormKeyDown(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_F2)
        ToggleMemoView();
    if (key == Qt::Key_F1) {
        HelpCommand();
    } else if (SelectedModule >= 0 &&
               static_cast<std::size_t>(SelectedModule) < ModuleInstances.size() &&
               (key == Qt::Key_U || key == Qt::Key_D)) {
        ModuleLocations.Step(ModuleInstances[static_cast<std::size_t>(SelectedModule)],
                             key == Qt::Key_U ? -1 : 1);
        Repaint();
    }
    ForwardKey(GLIMRA_KEY_DOWN, event);
}

void TForm2::FormKeyUp(QKeyEvent* event) {
    ForwardKey(GLIMRA_KEY_UP, event);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    if (!InputHandlers)
        return QWidget::keyPressEvent(event);
    if (!InKeyPreview)
        FormKeyDown(event);
}

void TForm2::keyReleaseEvent(QKeyEvent* event) {
    if (!InputHandlers)
        return QWidget::keyReleaseEvent(event);
    if (!InKeyPreview)
        FormKeyUp(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == static_cast<QObject*>(windowHandle())) {
        if (event->type() == QEvent::Expose)
            ShowUnshown();
        return false;
    }
    const bool press = event->type() == QEvent::KeyPress;
    if ((!press && event->type() != QEvent::KeyRelease) || InKeyPreview || !InputHandlers)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (press)
        FormKeyDown(key);
    else
        FormKeyUp(key);
    // The control gets the key after the form; a key it leaves climbs to the form,
    // which has seen it already.
    std::unique_ptr<QEvent> copy(key->clone());
    InKeyPreview = true;
    QCoreApplication::sendEvent(watched, copy.get());
    InKeyPreview = false;
    event->accept();
    return true;
}

void TForm2::mousePressEvent(QMouseEvent* event) {
    if (InputHandlers)
        FormMouseDown(event);
}

void TForm2::mouseMoveEvent(QMouseEvent* event) {
    if (InputHandlers)
        FormMouseMove(event);
}

void TForm2::mouseReleaseEvent(QMouseEvent* event) {
    if (!InputHandlers)
        return;
    FormMouseUp(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        FormClick();
}

void TForm2::FormMouseDown(QMouseEvent* event) {
    QPoint at = event->position().toPoint();
    const bool menuShowed = MenuShows();
    if (event->button() == Qt::LeftButton) {
        FileMenu->MouseEvent(true, at.y(), at.x());
        ModuleMenu->MouseEvent(true, at.y(), at.x());
    }
    CloseMenus();
    // A click that closed a menu does not also grab the scroll bar.
    if (!menuShowed && event->button() == Qt::LeftButton && MiniScrollBar1.Visible &&
        MiniScrollBar1.Contains(at.x(), at.y()))
        MiniScrollBar1.MouseDown(at.x(), at.y());
    ForwardMouse(GLIMRA_MOUSE_DOWN, event);
}

void TForm2::FormMouseMove(QMouseEvent* event) {
    QPoint at = event->position().toPoint();
    FileMenu->MouseEvent(false, at.y(), at.x());
    ModuleMenu->MouseEvent(false, at.y(), at.x());
    MiniScrollBar1.MouseMove(at.x(), at.y());
    ForwardMouse(GLIMRA_MOUSE_MOVE, event);
}

void TForm2::FormMouseUp(QMouseEvent* event) {
    MiniScrollBar1.MouseUp();
    int taken = ForwardMouse(GLIMRA_MOUSE_UP, event);
    if (taken >= 0)
        SelectedModule = taken;
}

void TForm2::FormClick() {
    if (IsActiveWindow())
        Host.BringToFront(this);
}

void TForm2::FormActivate() {
    ActiveWindow = this;
}

void TForm2::FormDeactivate() {
    SetMemoView(false);
}

void TForm2::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            FormActivate();
        else
            FormDeactivate();
        Repaint();
    }
    if (event->type() == QEvent::WindowStateChange)
        Host.ShowUncovered();
    QWidget::changeEvent(event);
}

void TForm2::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent* event) {
    FilesDropped(event->mimeData()->urls());
    event->acceptProposedAction();
}

void TForm2::FilesDropped(const QList<QUrl>& urls) {
    // Only the first file of a drop; the others are ignored.
    for (const QUrl& url : urls)
        if (url.isLocalFile()) {
            // The start's encoding was for the files it named, not for a dropped one.
            Follower->ForcedEncoding.reset();
            OpenFile(DroppedName(QFile::encodeName(url.toLocalFile()).toStdString()));
            return;
        }
}

std::uint8_t ModuleShiftState(Qt::KeyboardModifiers keys, Qt::MouseButtons buttons,
                              bool doubleClick) {
    std::uint8_t shift = 0;
    auto add = [&shift](bool on, int bit) {
        if (on)
            shift = static_cast<std::uint8_t>(shift | bit);
    };
    add(keys & Qt::ShiftModifier, GLIMRA_SHIFT_SHIFT);
    add(keys & Qt::AltModifier, GLIMRA_SHIFT_ALT);
    add(keys & Qt::ControlModifier, GLIMRA_SHIFT_CTRL);
    add(buttons & Qt::LeftButton, GLIMRA_SHIFT_LEFT);
    add(buttons & Qt::RightButton, GLIMRA_SHIFT_RIGHT);
    add(buttons & Qt::MiddleButton, GLIMRA_SHIFT_MIDDLE);
    add(doubleClick, GLIMRA_SHIFT_DOUBLE);
    return shift;
}

std::uint16_t VirtualKeyOf(int key) {
    // Letters and digits share their codes; the rest as the designed desktop names them.
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9) ||
        key == Qt::Key_Space)
        return static_cast<std::uint16_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<std::uint16_t>(0x70 + (key - Qt::Key_F1));
    static const std::pair<int, std::uint16_t> named[] = {
        {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},    {Qt::Key_Return, 0x0D},
        {Qt::Key_Enter, 0x0D},     {Qt::Key_Shift, 0x10},  {Qt::Key_Control, 0x11},
        {Qt::Key_Alt, 0x12},       {Qt::Key_Escape, 0x1B}, {Qt::Key_PageUp, 0x21},
        {Qt::Key_PageDown, 0x22},  {Qt::Key_End, 0x23},    {Qt::Key_Home, 0x24},
        {Qt::Key_Left, 0x25},      {Qt::Key_Up, 0x26},     {Qt::Key_Right, 0x27},
        {Qt::Key_Down, 0x28},      {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E}};
    for (auto [qtKey, code] : named)
        if (qtKey == key)
            return code;
    return 0;
}

int TForm2::ForwardMouse(std::uint8_t kind, QMouseEvent* event, bool doubleClick) {
    if (ModuleInstances.empty() || !InputHandlers)
        return -1;
    QPoint at = event->position().toPoint();
    std::uint8_t button = kind == GLIMRA_MOUSE_MOVE             ? GLIMRA_BUTTON_LEFT
                          : event->button() == Qt::RightButton  ? GLIMRA_BUTTON_RIGHT
                          : event->button() == Qt::MiddleButton ? GLIMRA_BUTTON_MIDDLE
                                                                : GLIMRA_BUTTON_LEFT;
    TModuleHit hit = Host.Modules().ForwardMouse(
        ModuleInstances, kind, button,
        ModuleShiftState(event->modifiers(), event->buttons(), doubleClick), at.x(), at.y());
    return hit.Handled ? hit.Index : -1;
}

void TForm2::ForwardKey(std::uint8_t kind, QKeyEvent* event) {
    if (!ModuleInstances.empty() && InputHandlers)
        Host.Modules().ForwardKey(ModuleInstances, kind, VirtualKeyOf(event->key()),
                                  ModuleShiftState(event->modifiers(), Qt::NoButton, false));
}

} // namespace glimra
