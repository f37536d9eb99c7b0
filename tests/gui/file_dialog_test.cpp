// The file information dialog on its own and as the hub runs it for Save File.
#include "app/control_hub.h"
#include "device_ratio.h"
#include "dialogs/file_dialog.h"
#include "fake_window_host.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_edit.h"
#include "graphics/original_form.h"
#include "gui_test_util.h"
#include "hub_fixture.h"
#include "platform/settings_platform.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace glimra {
namespace {

class FileDialogTest : public ::testing::Test {
protected:
    TTestFolder Folder;
    TFakeWindowHost Host;

    std::unique_ptr<TGDialog> MakeDialog(const std::string& path) {
        Host.DialogPathValue = path;
        auto dialog = std::make_unique<TGDialog>(Host);
        dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        dialog->InitWindow(false);
        dialog->ApplySettings(Host.Values);
        dialog->LayOut();
        return dialog;
    }
    // Runs the dialog and presses a button (or closes it) once it shows.
    static int Answer(TGDialog& dialog, std::function<void()> press) {
        QTimer::singleShot(0, &dialog, std::move(press));
        return dialog.ShowModal();
    }
};

} // namespace

TEST_F(FileDialogTest, OpensOnTheFilesFolderAndNameAndComposesThePath) {
    auto d = MakeDialog("/logs/app.log");
    EXPECT_EQ(d->windowTitle(), "File Information");
    EXPECT_EQ(d->size(), QSize(480, 240));
    EXPECT_EQ(d->PathEdit->text(), "/logs/");
    EXPECT_EQ(d->NameEdit->text(), "app.log");
    EXPECT_TRUE(d->GlimraButton1->isHidden());
    EXPECT_FALSE(d->MiniScrollBar1.Visible);
    // Unchanged: the same path back.
    EXPECT_EQ(Answer(*d, [&] { emit d->OkButton->Click(); }), 1);
    EXPECT_EQ(Host.DialogPathValue, "/logs/app.log");
    EXPECT_EQ(Host.Closed, (std::vector<TForm2*>{d.get()}));
    // An existing folder typed without its closing separator is that folder; a full
    // path gives its own folder.
    const std::string folder = Folder.Path("old");
    QDir().mkpath(QString::fromStdString(folder));
    for (const std::string& typed : {folder, Folder.Path("old/app.log")}) {
        auto edited = MakeDialog("/logs/app.log");
        edited->PathEdit->setText(QString::fromStdString(typed));
        EXPECT_EQ(Answer(*edited, [&] { emit edited->OkButton->Click(); }), 1);
        EXPECT_EQ(Host.DialogPathValue, folder + "/app.log") << typed;
    }
}

TEST_F(FileDialogTest, CancelAndTheCloseGlyphLeaveThePathAlone) {
    auto d = MakeDialog("/logs/app.log");
    d->PathEdit->setText("/elsewhere/");
    EXPECT_EQ(Answer(*d, [&] { emit d->CancelButton->Click(); }), 2);
    EXPECT_EQ(Host.DialogPathValue, "/logs/app.log");
    auto glyph = MakeDialog("/logs/app.log");
    EXPECT_EQ(Answer(*glyph, [&] { glyph->close(); }), 2);
    EXPECT_EQ(Host.Closed.size(), 2u);
}

TEST_F(FileDialogTest, ADroppedFolderOrFileSetsTheFolderOnly) {
    auto d = MakeDialog("/logs/app.log");
    std::string folder = Folder.Path("sub");
    QDir().mkpath(QString::fromStdString(folder));
    d->OpenFile(folder);
    EXPECT_EQ(d->PathEdit->text().toStdString(), folder); // as dropped, no separator added
    d->OpenFile(Folder.Write("x.log", "x\n"));
    EXPECT_EQ(d->PathEdit->text().toStdString(), Folder.Path(""));
    EXPECT_EQ(d->NameEdit->text(), "app.log");
    EXPECT_EQ(d->Store.LineCount(), 0u); // nothing is loaded
}

TEST_F(FileDialogTest, EditsAndButtonsSitAboveTheBottomEdge) {
    auto d = MakeDialog("/logs/app.log");
    const int lh = d->LineHeight;
    const int editHeight = d->PathEdit->height(), buttonHeight = d->OkButton->height();
    EXPECT_EQ(d->PathEdit->y(), 240 - 2 * lh - buttonHeight - 2 * editHeight - 40);
    EXPECT_EQ(d->PathEdit->width(), 480 - 71);
    EXPECT_EQ(d->NameEdit->y(), d->PathEdit->y() + editHeight + lh + 10);
    EXPECT_EQ(d->OkButton->pos(), QPoint(280, d->NameEdit->y() + editHeight + 10));
    EXPECT_EQ(d->CancelButton->pos(), QPoint(360, d->OkButton->y()));
    d->resize(600, 300);
    EXPECT_EQ(d->OkButton->x(), 400);
    EXPECT_EQ(d->PathEdit->width(), 529);
}

// At a device pixel ratio of 2 the skin's title and glyphs, the message, the labels
// and the controls' texts are drawn for the device, as in a viewer window.
TEST_F(FileDialogTest, AtRatioTwoItsTextsAreDrawnAtDeviceResolution) {
    if (!RunsAtRatioTwo())
        return;
    auto d = MakeDialog("/logs/app.log");
    d->SetMessage("Input filename and press OK to save.");
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    d->Redraw();
    QCoreApplication::processEvents();
    const QImage shown = d->grab().toImage();
    ASSERT_EQ(shown.size(), d->size() * 2);
    const QLine close = d->Skin->Glyphs(d->size()).front();
    const auto label = [&](const TGlimraEdit* edit) {
        return QRect(edit->x(), edit->y() - d->LineHeight - 4, 40, d->LineHeight);
    };
    ExpectFine(shown, {
                          {"title", d->Skin->TitleText(d->size()).Rect, 20},
                          {"close glyph", QRect(close.p1(), close.p2()).normalized(), 3},
                          {"message", QRect(15, d->LineHeight + 15, 200, d->LineHeight), 20},
                          {"Path", label(d->PathEdit), 10},
                          {"Filename", label(d->NameEdit), 10},
                          {"path edit", d->PathEdit->geometry(), 10},
                          {"name edit", d->NameEdit->geometry(), 10},
                          {"OK", d->OkButton->geometry(), 5},
                      });
}

namespace {

using HubDialogTest = THubFixture<>;

} // namespace

TEST_F(HubDialogTest, TheDialogIsAWindowOfTheHubWhileItRuns) {
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    w->OpenFile(Folder.Write("app.log", "a\nb\n"));
    ActiveWindow = w;
    std::size_t during = 0;
    QPointer<TForm2> active;
    bool listed = false;
    QTimer::singleShot(50, [&] {
        during = hub->WindowList().size();
        active = ActiveWindow;
        TGDialog* dialog = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TGDialog*>(top); d && d->isVisible())
                dialog = d;
        if (!dialog) {
            // An assertion would return with the dialog still open and hang the test:
            // close it, and the answer 2 fails the test.
            for (QWidget* top : QApplication::topLevelWidgets())
                if (qobject_cast<TGDialog*>(top))
                    top->close();
            return;
        }
        listed = hub->WindowList().back().data() == dialog;
        dialog->NameEdit->setText("copy.log");
        emit dialog->OkButton->Click();
    });
    EXPECT_EQ(hub->RunFileDialog("Input filename and press OK to save."), 1);
    EXPECT_EQ(during, 2u);
    EXPECT_TRUE(listed);
    EXPECT_NE(active.data(), w);
    EXPECT_EQ(hub->DialogPath(), Folder.Path("copy.log"));
    EXPECT_EQ(ActiveWindow.data(), w);
    EXPECT_EQ(hub->WindowList().size(), 1u);
    EXPECT_FALSE(hub->Terminating());
}

} // namespace glimra
