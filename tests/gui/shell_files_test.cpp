#include "gui_test_util.h"
#include "opened_urls.h"
#include "platform/shell_files.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace glimra {
namespace {

class ShellFilesTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    std::string Path(const QString& name) const { return (Dir.path() + "/" + name).toStdString(); }
    void Write(const QString& name, const QByteArray& text) {
        QDir().mkpath(QFileInfo(Dir.path() + "/" + name).path());
        QFile file(Dir.path() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray Read(const QString& name) const {
        QFile file(Dir.path() + "/" + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    void TearDown() override { SimulateReadOnlyRemovalFailure(false); }
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        qputenv("XDG_DATA_HOME", (Dir.path() + "/data").toUtf8());
        qputenv("XDG_CONFIG_HOME", (Dir.path() + "/config").toUtf8());
    }
};

TEST_F(ShellFilesTest, SpecialFoldersAreXdgFolders) {
    Write("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"" + Dir.path().toUtf8() + "/Desk\"\n");
    EXPECT_EQ(SpecialFolder(SpecialFolderPrograms), Path("data/applications"));
    EXPECT_EQ(SpecialFolder(SpecialFolderSendTo), Path("data/applications"));
    EXPECT_EQ(SpecialFolder(SpecialFolderDesktop), Path("Desk"));
    EXPECT_EQ(SpecialFolder(5), "");
    EXPECT_EQ(ProgramFilesFolder(), Path("data"));
}

TEST_F(ShellFilesTest, DeleteFileClearsReadOnlyFirst) {
    Write(".hidden", "x");
    QFile::setPermissions(Dir.path() + "/.hidden", QFile::ReadOwner);
    SimulateReadOnlyRemovalFailure(true);
    EXPECT_TRUE(DeleteFile(Path(".hidden")));
    EXPECT_FALSE(QFile::exists(Dir.path() + "/.hidden"));
    EXPECT_FALSE(DeleteFile(Path("missing")));
    QDir().mkpath(Dir.path() + "/folder");
    EXPECT_FALSE(DeleteFile(Path("folder")));
    EXPECT_TRUE(QFileInfo(Dir.path() + "/folder").isDir());
}

TEST_F(ShellFilesTest, CopyResultCodes) {
    EXPECT_EQ(ShellFileOperation({}, Path("dest"), FileOpCopy), FileOpNothingDone);
    EXPECT_FALSE(QFile::exists(Dir.path() + "/dest"));

    Write("src/a.txt", "new a");
    Write("src/sub/b.txt", "b");
    Write("dest/deeper/a.txt", "old a");
    EXPECT_EQ(
        ShellFileOperation({Path("src/a.txt"), Path("src/sub")}, Path("dest/deeper"), FileOpCopy),
        FileOpOk);
    EXPECT_EQ(Read("dest/deeper/a.txt"), "new a");
    EXPECT_EQ(Read("dest/deeper/sub/b.txt"), "b");
    EXPECT_EQ(Read("src/a.txt"), "new a");

    EXPECT_EQ(ShellFileOperation({Path("src/none.txt")}, Path("dest"), FileOpCopy), FileOpNotFound);
    EXPECT_EQ(ShellFileOperation({Path("src/a.txt")}, Path("src"), FileOpCopy), FileOpSameFile);
    EXPECT_EQ(Read("src/a.txt"), "new a");
    Write("blocker", "a file where a folder should be");
    EXPECT_EQ(ShellFileOperation({Path("src/a.txt")}, Path("blocker/x"), FileOpCopy),
              FileOpAccessDenied);
    EXPECT_EQ(ShellFileOperation({Path("src/a.txt")}, Path("dest"), 9), FileOpBadArgument);
}

TEST_F(ShellFilesTest, MoveRenameAndDelete) {
    Write("m.txt", "m");
    EXPECT_EQ(ShellFileOperation({Path("m.txt")}, Path("to"), FileOpMove), FileOpOk);
    EXPECT_EQ(Read("to/m.txt"), "m");
    EXPECT_FALSE(QFile::exists(Dir.path() + "/m.txt"));
    EXPECT_EQ(ShellFileOperation({Path("to/m.txt")}, Path("to/n.txt"), FileOpRename), FileOpOk);
    EXPECT_EQ(Read("to/n.txt"), "m");
    EXPECT_EQ(ShellFileOperation({Path("to/n.txt"), Path("x")}, Path("y"), FileOpRename),
              FileOpBadArgument);
    EXPECT_EQ(ShellFileOperation({Path("to/n.txt")}, "", FileOpDelete), FileOpOk);
    EXPECT_FALSE(QFile::exists(Dir.path() + "/to/n.txt"));
    EXPECT_EQ(ShellFileOperation({Path("to/n.txt")}, "", FileOpDelete), FileOpNotFound);
}

TEST_F(ShellFilesTest, ShortcutIsADesktopEntry) {
    ASSERT_TRUE(CreateShortcut(Path("GLIMRA 4th.desktop"), "/opt/GLIMRA 4th/glimra4 \"x\" 100%",
                               "/opt/GLIMRA 4th/"));
    QByteArray text = Read("GLIMRA 4th.desktop");
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nName=GLIMRA 4th\n"));
    // Quoted, with the desktop-entry escaping of the backslashes on top.
    EXPECT_TRUE(text.contains("\nExec=\"/opt/GLIMRA 4th/glimra4 \\\\\"x\\\\\" 100%%\"\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("\nPath=/opt/GLIMRA 4th/\n"));
    EXPECT_TRUE(QFileInfo(Dir.path() + "/GLIMRA 4th.desktop").isExecutable());
    EXPECT_FALSE(CreateShortcut(Path("no/such/folder/x.desktop"), "/bin/true", "/"));

    // The entry that stands in for "Send To": takes a file, offered for text, not in menus.
    ASSERT_TRUE(CreateShortcut(Path("send.desktop"), "/opt/g/glimra4", "/opt/g/", true));
    text = Read("send.desktop");
    EXPECT_TRUE(
        text.contains("\nExec=\"/opt/g/glimra4\" %f\nMimeType=text/plain;\nNoDisplay=true\n"))
        << text.constData();
}

TEST_F(ShellFilesTest, StartDetachedPassesArgumentsAndFolder) {
    Write("tools/run", "#!/bin/sh\necho \"$(pwd) $1\" > started\n");
    QFile::setPermissions(Dir.path() + "/tools/run", QFile::ReadOwner | QFile::ExeOwner);
    ASSERT_TRUE(StartDetached(Path("tools/run"), {"/a folder"}, Path("tools")));
    EXPECT_TRUE(WaitFor([&] { return Read("tools/started") != "<none>"; }));
    EXPECT_EQ(Read("tools/started"), Dir.path().toUtf8() + "/tools /a folder\n");
}

TEST_F(ShellFilesTest, ShellOpenRunsProgramsAndHandsTheRestToTheDesktop) {
    Write("tools/setup", "#!/bin/sh\npwd > started\n");
    QFile::setPermissions(Dir.path() + "/tools/setup", QFile::ReadOwner | QFile::ExeOwner);
    Write("read me.txt", "text");
    QDir().mkpath(Dir.path() + "/folder");
    TOpenedUrls opened;
    QDesktopServices::setUrlHandler("file", &opened, "Open");

    ShellOpen(nullptr, Path("tools/setup"));
    ShellOpen(nullptr, Path("read me.txt"));
    ShellOpen(nullptr, Path("folder"));
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_TRUE(WaitFor([&] { return Read("tools/started") != "<none>"; }));
    EXPECT_EQ(Read("tools/started"), Dir.path().toUtf8() + "/tools\n");
    EXPECT_EQ(opened.Urls, (QList<QUrl>{QUrl::fromLocalFile(Dir.path() + "/read me.txt"),
                                        QUrl::fromLocalFile(Dir.path() + "/folder")}));
}

} // namespace
} // namespace glimra
