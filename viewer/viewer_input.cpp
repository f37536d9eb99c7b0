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
    if (MenuShows())
        DeviceText.BeginMenus(WindowBitmap);
    for (TGlimraCPopupMenu* menu : {FileMenu.get(), ModuleMenu.get()}) {
        menu->DrawTo(WindowBitmap);
        if (menu->Shown())
            DeviceText.AddMenu({menu->X, menu->Y}, menu->Plate(), menu->Captions(), menu->Marks());
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

std::uint16_t VirtualKeyOf(int key, Qt::KeyboardModifiers modifiers) {
    // Letters and digits share their codes; the rest as the designed desktop names them.
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<std::uint16_t>(GLIMRA_VK_NUMPAD0 + (key - Qt::Key_0));
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9) ||
        key == Qt::Key_Space)
        return static_cast<std::uint16_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<std::uint16_t>(GLIMRA_VK_F1 + (key - Qt::Key_F1));
    static const std::pair<int, std::uint16_t> onKeypad[] = {
        {Qt::Key_Asterisk, GLIMRA_VK_MULTIPLY}, {Qt::Key_Plus, GLIMRA_VK_ADD},
        {Qt::Key_Minus, GLIMRA_VK_SUBTRACT},    {Qt::Key_Period, GLIMRA_VK_DECIMAL},
        {Qt::Key_Comma, GLIMRA_VK_DECIMAL},     {Qt::Key_Slash, GLIMRA_VK_DIVIDE},
        {Qt::Key_Clear, GLIMRA_VK_CLEAR}};
    if (keypad)
        for (auto [qtKey, code] : onKeypad)
            if (qtKey == key)
                return code;
    // Shifted digits and punctuation by the key of a US keyboard that makes them.
    static const std::pair<int, std::uint16_t> named[] = {{Qt::Key_Backspace, GLIMRA_VK_BACK},
                                                          {Qt::Key_Tab, GLIMRA_VK_TAB},
                                                          {Qt::Key_Backtab, GLIMRA_VK_TAB},
                                                          {Qt::Key_Clear, GLIMRA_VK_CLEAR},
                                                          {Qt::Key_Return, GLIMRA_VK_RETURN},
                                                          {Qt::Key_Enter, GLIMRA_VK_RETURN},
                                                          {Qt::Key_Shift, GLIMRA_VK_SHIFT},
                                                          {Qt::Key_Control, GLIMRA_VK_CONTROL},
                                                          {Qt::Key_Alt, GLIMRA_VK_MENU},
                                                          {Qt::Key_AltGr, GLIMRA_VK_MENU},
                                                          {Qt::Key_Pause, GLIMRA_VK_PAUSE},
                                                          {Qt::Key_CapsLock, GLIMRA_VK_CAPITAL},
                                                          {Qt::Key_Escape, GLIMRA_VK_ESCAPE},
                                                          {Qt::Key_PageUp, GLIMRA_VK_PRIOR},
                                                          {Qt::Key_PageDown, GLIMRA_VK_NEXT},
                                                          {Qt::Key_End, GLIMRA_VK_END},
                                                          {Qt::Key_Home, GLIMRA_VK_HOME},
                                                          {Qt::Key_Left, GLIMRA_VK_LEFT},
                                                          {Qt::Key_Up, GLIMRA_VK_UP},
                                                          {Qt::Key_Right, GLIMRA_VK_RIGHT},
                                                          {Qt::Key_Down, GLIMRA_VK_DOWN},
                                                          {Qt::Key_Print, GLIMRA_VK_SNAPSHOT},
                                                          {Qt::Key_Insert, GLIMRA_VK_INSERT},
                                                          {Qt::Key_Delete, GLIMRA_VK_DELETE},
                                                          {Qt::Key_Meta, GLIMRA_VK_LWIN},
                                                          {Qt::Key_Super_L, GLIMRA_VK_LWIN},
                                                          {Qt::Key_Menu, GLIMRA_VK_APPS},
                                                          {Qt::Key_NumLock, GLIMRA_VK_NUMLOCK},
                                                          {Qt::Key_ScrollLock, GLIMRA_VK_SCROLL},
                                                          {Qt::Key_Exclam, '1'},
                                                          {Qt::Key_At, '2'},
                                                          {Qt::Key_NumberSign, '3'},
                                                          {Qt::Key_Dollar, '4'},
                                                          {Qt::Key_Percent, '5'},
                                                          {Qt::Key_AsciiCircum, '6'},
                                                          {Qt::Key_Ampersand, '7'},
                                                          {Qt::Key_Asterisk, '8'},
                                                          {Qt::Key_ParenLeft, '9'},
                                                          {Qt::Key_ParenRight, '0'},
                                                          {Qt::Key_Semicolon, GLIMRA_VK_OEM_1},
                                                          {Qt::Key_Colon, GLIMRA_VK_OEM_1},
                                                          {Qt::Key_Equal, GLIMRA_VK_OEM_PLUS},
                                                          {Qt::Key_Plus, GLIMRA_VK_OEM_PLUS},
                                                          {Qt::Key_Comma, GLIMRA_VK_OEM_COMMA},
                                                          {Qt::Key_Less, GLIMRA_VK_OEM_COMMA},
                                                          {Qt::Key_Minus, GLIMRA_VK_OEM_MINUS},
                                                          {Qt::Key_Underscore, GLIMRA_VK_OEM_MINUS},
                                                          {Qt::Key_Period, GLIMRA_VK_OEM_PERIOD},
                                                          {Qt::Key_Greater, GLIMRA_VK_OEM_PERIOD},
                                                          {Qt::Key_Slash, GLIMRA_VK_OEM_2},
                                                          {Qt::Key_Question, GLIMRA_VK_OEM_2},
                                                          {Qt::Key_QuoteLeft, GLIMRA_VK_OEM_3},
                                                          {Qt::Key_AsciiTilde, GLIMRA_VK_OEM_3},
                                                          {Qt::Key_BracketLeft, GLIMRA_VK_OEM_4},
                                                          {Qt::Key_BraceLeft, GLIMRA_VK_OEM_4},
                                                          {Qt::Key_Backslash, GLIMRA_VK_OEM_5},
                                                          {Qt::Key_Bar, GLIMRA_VK_OEM_5},
                                                          {Qt::Key_BracketRight, GLIMRA_VK_OEM_6},
                                                          {Qt::Key_BraceRight, GLIMRA_VK_OEM_6},
                                                          {Qt::Key_Apostrophe, GLIMRA_VK_OEM_7},
                                                          {Qt::Key_QuoteDbl, GLIMRA_VK_OEM_7}};
    for (auto [qtKey, code] : named)
        if (qtKey == key)
            return code;
    return 0;
}

std::optional<std::uint8_t> ModuleButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return GLIMRA_BUTTON_LEFT;
    case Qt::RightButton:
        return GLIMRA_BUTTON_RIGHT;
    case Qt::MiddleButton:
        return GLIMRA_BUTTON_MIDDLE;
    default:
        return std::nullopt;
    }
}

int TForm2::ForwardMouse(std::uint8_t kind, QMouseEvent* event, bool doubleClick) {
    if (ModuleInstances.empty() || !InputHandlers)
        return -1;
    QPoint at = event->position().toPoint();
    const std::optional<std::uint8_t> button =
        kind == GLIMRA_MOUSE_MOVE ? GLIMRA_BUTTON_LEFT : ModuleButtonOf(event->button());
    if (!button)
        return -1;
    TModuleHit hit = Host.Modules().ForwardMouse(
        ModuleInstances, kind, *button,
        ModuleShiftState(event->modifiers(), event->buttons(), doubleClick), at.x(), at.y());
    return hit.Handled ? hit.Index : -1;
}

void TForm2::ForwardKey(std::uint8_t kind, QKeyEvent* event) {
    if (!ModuleInstances.empty() && InputHandlers)
        Host.Modules().ForwardKey(ModuleInstances, kind,
                                  VirtualKeyOf(event->key(), event->modifiers()),
                                  ModuleShiftState(event->modifiers(), Qt::NoButton, false));
}

} // namespace glimra
