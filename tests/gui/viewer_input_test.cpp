// A window's menus, buttons, keys, drops and commands, as a person uses them.
#include "fake_window_host.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_popup_menu.h"
#include "gui_test_util.h"
#include "opened_urls.h"
#include "viewer/glimra_memo.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>
#include <gtest/gtest.h>

namespace glimra {
namespace {

class ViewerInputTest : public ::testing::Test {
protected:
    TTestFolder Folder;
    TFakeWindowHost Host;
    TScriptedMessageBoxes Boxes;

    void SetUp() override { SetMessageBoxes(&Boxes); }
    void TearDown() override { SetMessageBoxes(nullptr); }

    static void Press(QWidget* to, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent press(QEvent::MouseButtonPress, at, to->mapToGlobal(at), button, button,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(to, &press);
    }
    static void Move(QWidget* to, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, to->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(to, &move);
    }
    // The middle of a menu row in window coordinates.
    static QPoint RowPoint(const TGlimraCPopupMenu& menu, int row) {
        return {menu.X + 30, menu.Y + row * menu.Layout().ItemHeight + 3};
    }
};

bool IsYellow(const QImage& image, int x, int y) {
    return image.pixelColor(x, y) == QColor(255, 255, 0);
}

int YellowPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += IsYellow(image, x, y);
    return n;
}

} // namespace

TEST_F(ViewerInputTest, TheFileMenuOpensUnderItsButtonWithTheCommandsInOrder) {
    auto w = MakeWindow(Host);
    std::vector<QString> captions;
    for (const auto& item : w->FileMenu->Items)
        captions.push_back(item->Caption);
    EXPECT_EQ(captions, (std::vector<QString>{"NEW", "Open File.", "Save File.", "-", "CLEAR.", "-",
                                              "Setup.", "Help.", "CLOSE."}));
    emit w->GlimraButton1->Click();
    ASSERT_TRUE(w->FileMenu->Shown());
    EXPECT_EQ(w->FileMenu->X, w->GlimraButton1->x());
    EXPECT_EQ(w->FileMenu->Y, w->GlimraButton1->y() + w->GlimraButton1->height() + 1);
    const TMenuLayout& layout = w->FileMenu->Layout();
    EXPECT_EQ(w->FileMenu->Image().size(),
              QSize(layout.WidestCaption + 32, 9 * layout.ItemHeight + 4));
    // A separator is a white line across the middle of its row.
    const QImage& image = w->FileMenu->Image();
    EXPECT_EQ(image.pixelColor(20, layout.RowMiddle(3)), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(15, layout.RowMiddle(3)), QColor(Qt::black));
    // The menu is blended over the window: black halves what lies under it.
    const QImage& bitmap = w->WindowBitmap;
    QColor under = bitmap.pixelColor(w->FileMenu->X + 4, w->FileMenu->Y + 1);
    EXPECT_EQ(under, QColor(0x20, 0x20, 0x20));
}

TEST_F(ViewerInputTest, HoverHighlightsOneRowAndRedrawsOnlyWhenTheRowChanges) {
    auto w = MakeWindow<TCountingForm>(Host);
    emit w->GlimraButton1->Click();
    TGlimraCPopupMenu& menu = *w->FileMenu;
    const TMenuLayout& layout = menu.Layout();
    int redraws = w->Redraws;
    Move(w.get(), RowPoint(menu, 1));
    EXPECT_EQ(menu.HotIndex, 1);
    EXPECT_EQ(w->Redraws, redraws + 1);
    // The yellow band starts 2 pixels below the row's hit band, 8 pixels in.
    EXPECT_TRUE(IsYellow(menu.Image(), 8, layout.RowTop(1)));
    EXPECT_FALSE(IsYellow(menu.Image(), 7, layout.RowTop(1)));
    EXPECT_FALSE(IsYellow(menu.Image(), 8, layout.RowTop(1) - 1));
    // Blended in: yellow stays bright, the blue channel halves the grey behind.
    EXPECT_EQ(w->WindowBitmap.pixelColor(menu.X + 8, menu.Y + layout.RowTop(1)),
              QColor(255, 255, 0x20));
    // Within the same row: no rebuild, no redraw.
    Move(w.get(), RowPoint(menu, 1) + QPoint(5, 1));
    EXPECT_EQ(w->Redraws, redraws + 1);
    // Over a separator nothing is lit; clicking it runs nothing and closes the menu.
    Move(w.get(), RowPoint(menu, 3));
    EXPECT_EQ(menu.HotIndex, 3);
    EXPECT_EQ(YellowPixels(menu.Image()), 0);
    // On the menu's very edge it is outside: nothing changes.
    Move(w.get(), {menu.X, menu.Y + layout.RowTop(1) + 2});
    EXPECT_EQ(menu.HotIndex, 3);
    Move(w.get(), RowPoint(menu, 2));
    Move(w.get(), {menu.X + 30, menu.Y + layout.Height() - 1}); // the bottom margin
    Move(w.get(), RowPoint(menu, 2));
    EXPECT_TRUE(IsYellow(menu.Image(), 8, layout.RowTop(2))) << "the row left was lit again";
    Press(w.get(), RowPoint(menu, 3));
    EXPECT_FALSE(menu.Shown());
    EXPECT_EQ(menu.ItemIndex, 3);
}

TEST_F(ViewerInputTest, AMenuAtTheWindowsEdgeIsMovedIntoIt) {
    auto w = MakeWindow(Host);
    w->resize(200, 130);
    w->FileMenu->Popup(180, 100);
    w->Redraw();
    const QSize size = w->FileMenu->Image().size();
    EXPECT_EQ(w->FileMenu->X, 200 - size.width());
    EXPECT_EQ(w->FileMenu->Y, 130 - size.height());
    EXPECT_LT(w->FileMenu->Y, 0); // taller than the window: clipped at the top
}

TEST_F(ViewerInputTest, OnlyOneMenuReactsAndNotifyAndAutoWaitTillItCloses) {
    auto w = MakeWindow(Host);
    emit w->GlimraButton5->Click(); // no modules: no menu
    EXPECT_FALSE(w->ModuleMenu->Shown());
    emit w->GlimraButton1->Click();
    ASSERT_TRUE(w->FileMenu->Shown());
    emit w->GlimraButton2->Click();
    emit w->GlimraButton3->Click();
    EXPECT_FALSE(w->NotifyOn);
    EXPECT_FALSE(w->AutoMode);
    // A click outside closes it; the buttons work again.
    Press(w.get(), {300, 300}, Qt::RightButton);
    EXPECT_FALSE(w->MenuShows());
    emit w->GlimraButton2->Click();
    EXPECT_TRUE(w->NotifyOn);
    // The File button waits while the Module menu shows.
    w->ModuleMenu->AddItem("M", false);
    w->ModuleMenu->Popup(10, 10);
    emit w->GlimraButton1->Click();
    EXPECT_FALSE(w->FileMenu->Shown());
}

TEST_F(ViewerInputTest, MenuCommandsRunFromAClick) {
    auto w = MakeWindow(Host);
    w->OpenFile(Folder.Write("a.log", "one\ntwo\n"));
    emit w->GlimraButton2->Click(); // follow the file
    ASSERT_TRUE(w->NotifyOn);
    auto run = [&](int row) {
        emit w->GlimraButton1->Click();
        Press(w.get(), RowPoint(*w->FileMenu, row));
        EXPECT_FALSE(w->MenuShows());
    };
    // CLEAR. empties the window and really stops following.
    run(4);
    EXPECT_EQ(w->Store.LineCount(), 0u);
    EXPECT_FALSE(w->NotifyOn);
    run(0); // NEW
    ASSERT_EQ(Host.Opened.size(), 1u);
    EXPECT_EQ(ActiveWindow.data(), Host.Opened[0].get());
    run(6); // Setup.
    EXPECT_EQ(Host.SetupShown, 1);
    run(8); // CLOSE.
    EXPECT_EQ(Host.Closed, (std::vector<TForm2*>{w.get()}));
}

TEST_F(ViewerInputTest, SaveFileWritesWhatTheDialogNamesWithCrLf) {
    auto w = MakeWindow(Host);
    w->OpenFile(Folder.Write("in.log", "alpha\nbeta\rgamma"));
    ActiveWindow = nullptr; // another window was active: the asking one still saves
    Host.DialogAnswer = 1;
    Host.DialogTyped = Folder.Path("out.log");
    w->SaveFileCommand();
    EXPECT_EQ(Host.DialogTexts,
              (std::vector<std::string>{"Input filename and press OK to save.\nEncoding: UTF-8"}));
    EXPECT_EQ(Host.DialogStartPath, Folder.Path("in.log"));
    EXPECT_EQ(TTestFolder::Read(Folder.Path("out.log")), "alpha\r\nbeta\r\ngamma\r\n");
    EXPECT_EQ(w->TitlePath, Folder.Path("out.log"));
    // Cancel writes nothing.
    Host.DialogAnswer = 2;
    Host.DialogTyped = Folder.Path("never.log");
    w->SaveFileCommand();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Folder.Path("never.log"))));
}

TEST_F(ViewerInputTest, F2TogglesTheMemoViewAndKeysReachTheMemoAfterTheForm) {
    auto w = MakeWindow(Host);
    w->show();
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &f2);
    ASSERT_TRUE(w->MemoView);
    // A key typed into the memo: the form saw it (F2 again leaves the memo view) ...
    QKeyEvent x(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QCoreApplication::sendEvent(w->WordWrapper, &x);
    EXPECT_EQ(w->WordWrapper->toPlainText(), "x"); // ... and the memo got it after
    QKeyEvent f2again(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QCoreApplication::sendEvent(w->WordWrapper, &f2again);
    EXPECT_FALSE(w->MemoView) << "F2 in the memo went to the form exactly once";
}

TEST_F(ViewerInputTest, ADropOpensOnlyItsFirstFile) {
    auto w = MakeWindow(Host);
    std::string first = Folder.Write("first.log", "first\n");
    std::string second = Folder.Write("second.log", "second\n");
    EXPECT_TRUE(w->acceptDrops());
    w->FilesDropped({QUrl("https://example.org/x.log"),
                     QUrl::fromLocalFile(QString::fromStdString(first)),
                     QUrl::fromLocalFile(QString::fromStdString(second)),
                     QUrl::fromLocalFile(QString::fromStdString(second))});
    EXPECT_EQ(w->TitlePath, first);
    EXPECT_EQ(w->Store.LineCount(), 1u);
    // A name is cut to 255 characters, never inside a character.
    EXPECT_EQ(DroppedName(std::string(300, 'a')), std::string(255, 'a'));
    std::string wide;
    for (int i = 0; i < 300; ++i)
        wide += "\xC3\xA9"; // é
    EXPECT_EQ(DroppedName(wide), wide.substr(0, 510));
    // Nothing local in a drop: nothing happens.
    w->FilesDropped({QUrl("https://example.org/y.log")});
    EXPECT_EQ(w->TitlePath, first);
}

TEST_F(ViewerInputTest, AClickBringsTheActiveWindowToTheFront) {
    auto w = MakeWindow(Host);
    auto other = MakeWindow(Host);
    ActiveWindow = other.get();
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(200, 200),
                        w->mapToGlobal(QPointF(200, 200)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &release);
    EXPECT_TRUE(Host.Fronted.empty());
    ActiveWindow = w.get();
    QCoreApplication::sendEvent(w.get(), &release);
    EXPECT_EQ(Host.Fronted, (std::vector<TForm2*>{w.get()}));
}

TEST_F(ViewerInputTest, OpenFileShowsTheFilesFolderAndHelpTheManualBesideTheProgram) {
    auto w = MakeWindow(Host);
    TOpenedUrls opened;
    QDesktopServices::setUrlHandler("file", &opened, "Open");
    w->OpenFile(Folder.Write("a.log", "a\n"));
    w->OpenFolderCommand();
    w->ClearCommand();
    w->OpenFolderCommand(); // no file any more: the program's folder
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &f1);
    QDesktopServices::unsetUrlHandler("file");
    const QString program = QCoreApplication::applicationDirPath();
    EXPECT_EQ(
        opened.Urls,
        (QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(Folder.Path(""))),
                     QUrl::fromLocalFile(program), QUrl::fromLocalFile(program + "/GLIMRA.html")}));
}

} // namespace glimra
