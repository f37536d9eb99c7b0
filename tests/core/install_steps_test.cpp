#include "setup/install_steps.h"
#include "setup/uninstall_steps.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

namespace glimra {
namespace {

// A file system in memory that records what the install asked of it.
class TFakeWorld : public TInstallWorld, public TUninstallWorld {
public:
    std::set<std::string> Folders;
    std::map<std::string, std::string> Files;
    std::vector<bool> Answers; // for Confirm, in order; true when run out
    std::vector<std::string> Asked, Notices, Opened, Started;
    std::vector<std::vector<std::string>> Copies;
    std::vector<std::string> CopyDestinations;
    int CopyResult = 0;
    bool StoreFolder = false;
    bool StoreRemoved = false;
    std::string ShortcutThrowsIn; // a folder whose shortcut raises
    bool ShortcutsFail = false;

    bool FileExists(const std::string& p) override { return Files.count(p) > 0; }
    bool FolderExists(const std::string& p) override { return Folders.count(p) > 0; }
    bool FolderHasEntries(const std::string& p) override {
        for (const auto& [name, text] : Files)
            if (name.rfind(p + "/", 0) == 0)
                return true;
        for (const std::string& f : Folders)
            if (f.rfind(p + "/", 0) == 0)
                return true;
        return false;
    }
    bool CreateFolders(const std::string& p) override {
        if (p.find("forbidden") != std::string::npos)
            return false;
        Folders.insert(p);
        return true;
    }
    std::optional<std::string> ReadFile(const std::string& p) override {
        auto it = Files.find(p);
        return it == Files.end() ? std::nullopt : std::optional(it->second);
    }
    bool WriteFile(const std::string& p, const std::string& text) override {
        Files[p] = text;
        return true;
    }
    int CopyFiles(const std::vector<std::string>& s, const std::string& d) override {
        Copies.push_back(s);
        CopyDestinations.push_back(d);
        return CopyResult;
    }
    bool CreateShortcut(const std::string& link, const std::string&, const std::string&,
                        bool) override {
        if (!ShortcutThrowsIn.empty() && link.rfind(ShortcutThrowsIn + "/", 0) == 0)
            throw std::runtime_error("no shell link");
        if (ShortcutsFail)
            return false;
        Files[link] = "shortcut";
        return true;
    }
    void Open(const std::string& p) override { Opened.push_back(p); }
    void StartProgram(const std::string& p, const std::string& a) override {
        Started.push_back(p + " " + a);
    }
    bool StoreFolderExists() override { return StoreFolder; }
    bool Confirm(const std::string& text, bool) override {
        Asked.push_back(text);
        if (Answers.empty())
            return true;
        bool a = Answers.front();
        Answers.erase(Answers.begin());
        return a;
    }
    void Notify(TNotice, const std::string& text) override { Notices.push_back(text); }

    bool Exists(const std::string& p) override { return FileExists(p) || FolderExists(p); }
    bool IsFolder(const std::string& p) override { return FolderExists(p); }
    bool DeleteFile(const std::string& p) override { return Files.erase(p) > 0; }
    bool RemoveEmptyFolder(const std::string& p) override { return Folders.erase(p) > 0; }
    bool RemoveStoreFolder() override {
        StoreRemoved = true;
        return true;
    }
    void Notify(const std::string& text) override { Notices.push_back(text); }
};

TInstallChoice Choice() {
    TInstallChoice c;
    c.DistributionFolder = "/dist";
    c.AppFolder = "/home/u/.local/share/GLIMRA 4th";
    c.StartFolder = "/home/u/.local/share/applications/GLIMRA 4th";
    c.DesktopFolder = "/home/u/Desktop";
    c.SendToFolder = "/home/u/.local/share/applications";
    return c;
}

TFakeWorld World() {
    TFakeWorld w;
    w.Files["/dist/setup.dat"] = "glimra4\nUnInstall\nModule/tessel.so\n";
    w.Folders = {"/home/u/Desktop", "/home/u/.local/share/applications"};
    return w;
}

} // namespace

TEST(InstallRecord, WritesSectionsInOrderAndFoldersOnlyWhenCreated) {
    TInstallRecord r{{"/a/x", "/a/y"}, {"/s/GLIMRA 4th.desktop"}, true, {}};
    EXPECT_EQ(InstallRecordText(r), "[APPLICATION FILES]\n/a/x\n/a/y\n[SHORTCUT FILES]\n"
                                    "/s/GLIMRA 4th.desktop\n[UNINSTALL INFO]\nTRUE\n");
    r.CreatedFolders = {"/a", "/s"};
    r.StoreExisted = false;
    std::string text = InstallRecordText(r);
    EXPECT_EQ(text.substr(text.find("[UNINSTALL")),
              "[UNINSTALL INFO]\nFALSE\n[DIRECTORIES]\n/a\n/s\n");
    std::optional<TInstallRecord> back = ParseInstallRecord(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ApplicationFiles, r.ApplicationFiles);
    EXPECT_EQ(back->Shortcuts, r.Shortcuts);
    EXPECT_FALSE(back->StoreExisted);
    EXPECT_EQ(back->CreatedFolders, r.CreatedFolders);
    EXPECT_FALSE(ParseInstallRecord("[SHORTCUT FILES]\n[UNINSTALL INFO]\nTRUE\n"));
    EXPECT_FALSE(
        ParseInstallRecord("[APPLICATION FILES]\n[SHORTCUT FILES]\n[UNINSTALL INFO]\nYES\n"));
}

TEST(InstallDefaults, FoldersNamedAfterTheProgram) {
    TInstallFolders f = DefaultInstallFolders("/d", "/s", "/p", "/pf");
    EXPECT_EQ(f.StartFolder, "/p/GLIMRA 4th");
    EXPECT_EQ(f.AppFolder, "/pf/GLIMRA 4th");
}

TEST(Install, FullRunCreatesFoldersCopiesPerSubfolderAndRecordsShortcutsInOrder) {
    TFakeWorld w = World();
    std::vector<std::string> created;
    TInstallChoice c = Choice();
    TInstallResult r = RunInstall(w, c, created);
    ASSERT_TRUE(r.Done);
    EXPECT_EQ(created, (std::vector<std::string>{c.AppFolder, c.StartFolder}));
    ASSERT_EQ(w.Copies.size(), 2u);
    EXPECT_EQ(w.Copies[0], (std::vector<std::string>{"/dist/glimra4", "/dist/UnInstall"}));
    EXPECT_EQ(w.CopyDestinations[1], c.AppFolder + "/Module");
    std::string expected = "[APPLICATION FILES]\n" + c.AppFolder + "/glimra4\n" + c.AppFolder +
                           "/UnInstall\n" + c.AppFolder + "/Module/tessel.so\n[SHORTCUT FILES]\n" +
                           c.SendToFolder + "/GLIMRA 4th.desktop\n" + c.StartFolder +
                           "/GLIMRA 4th.desktop\n" + c.StartFolder + "/アンインストール.desktop\n" +
                           c.DesktopFolder + "/GLIMRA 4th.desktop\n[UNINSTALL INFO]\nFALSE\n" +
                           "[DIRECTORIES]\n" + c.AppFolder + "\n" + c.StartFolder + "\n";
    EXPECT_EQ(w.Files[c.AppFolder + "/uninst.dat"], expected);
    EXPECT_TRUE(w.Opened.empty());
    EXPECT_EQ(w.Started, (std::vector<std::string>{c.AppFolder + "/UnInstall /dist"}));
}

TEST(Install, TrailingSeparatorIsKeptAsTypedInTheRecord) {
    TFakeWorld w = World();
    w.Folders.insert("/opt/g/");
    w.Folders.insert("/m");
    TInstallChoice c = Choice();
    c.AppFolder = "/opt/g/";
    c.StartFolder = "/m";
    std::vector<std::string> created;
    ASSERT_TRUE(RunInstall(w, c, created).Done);
    std::string text = w.Files["/opt/g//uninst.dat"];
    EXPECT_NE(text.find("\n/opt/g//glimra4\n"), std::string::npos);
    EXPECT_EQ(w.CopyDestinations[0], "/opt/g");
    EXPECT_EQ(text.find("[DIRECTORIES]"), std::string::npos);
}

TEST(Install, AllBoxesUncheckedOpensTheProgramOnceAndListsNoShortcut) {
    TFakeWorld w = World();
    w.StoreFolder = true;
    TInstallChoice c = Choice();
    c.DeskTop = c.SendTo = c.StartMenu = false;
    std::vector<std::string> created;
    TInstallResult r = RunInstall(w, c, created);
    ASSERT_TRUE(r.Done);
    EXPECT_TRUE(r.Record.Shortcuts.empty());
    // The start-menu folder is still offered and made.
    EXPECT_EQ(created.size(), 2u);
    EXPECT_EQ(w.Opened, (std::vector<std::string>{c.AppFolder + "/glimra4"}));
    std::string text = w.Files[c.AppFolder + "/uninst.dat"];
    EXPECT_NE(text.find("[SHORTCUT FILES]\n[UNINSTALL INFO]\nTRUE\n"), std::string::npos);
}

TEST(Install, CancellingAFolderCopiesNothingAndSaysWhichFolder) {
    for (int which = 0; which < 3; ++which) {
        TFakeWorld w = World();
        w.Answers = {which != 0 && which != 2, which != 1 && which != 2};
        std::vector<std::string> created;
        TInstallResult r = RunInstall(w, Choice(), created);
        EXPECT_FALSE(r.Done);
        EXPECT_TRUE(w.Copies.empty());
        EXPECT_EQ(w.Asked.size(), 2u) << "both folders are always offered";
        const char* prefix = which == 0   ? "インストール先の"
                             : which == 1 ? "スタートメニューの"
                                          : "インストール先およびスタートメニューの";
        ASSERT_FALSE(w.Notices.empty());
        EXPECT_EQ(w.Notices.back(), std::string(prefix) + "フォルダの指定が不正です.");
        EXPECT_EQ(w.Notices.front(), "フォルダの作成を中止しました.");
    }
}

TEST(Install, FailedFolderCreationIsReported) {
    TFakeWorld w = World();
    TInstallChoice c = Choice();
    c.AppFolder = "/forbidden/g";
    std::vector<std::string> created;
    EXPECT_FALSE(RunInstall(w, c, created).Done);
    EXPECT_EQ(w.Notices.front(), "フォルダの作成に失敗しました.");
    EXPECT_EQ(created, (std::vector<std::string>{c.StartFolder}));
}

TEST(Install, CopyErrorNamesStep005AndWritesNoRecord) {
    TFakeWorld w = World();
    w.CopyResult = 5;
    std::vector<std::string> created;
    TInstallChoice c = Choice();
    TInstallResult r = RunInstall(w, c, created);
    EXPECT_FALSE(r.Done);
    EXPECT_EQ(r.FailedStep, "005");
    EXPECT_EQ(w.Notices.back(), "インストール中にエラーが発生しました( 005).");
    EXPECT_FALSE(w.FileExists(c.AppFolder + "/uninst.dat"));
    EXPECT_TRUE(w.Started.empty());
}

TEST(Install, ShortcutErrorsNameTheirStepAndFailedSavesAreStillListed) {
    TInstallChoice c = Choice();
    for (auto [folder, code] :
         {std::pair{c.SendToFolder, "006"}, {c.StartFolder, "007"}, {c.DesktopFolder, "008"}}) {
        TFakeWorld w = World();
        w.ShortcutThrowsIn = folder;
        std::vector<std::string> created;
        TInstallResult r = RunInstall(w, c, created);
        EXPECT_EQ(r.FailedStep, code);
        EXPECT_EQ(w.Notices.back(),
                  std::string("インストール中にエラーが発生しました( ") + code + ").");
    }
    TFakeWorld w = World();
    w.ShortcutsFail = true;
    std::vector<std::string> created;
    TInstallResult r = RunInstall(w, c, created);
    EXPECT_TRUE(r.Done);
    EXPECT_EQ(r.Record.Shortcuts.size(), 4u);
}

TEST(Install, MissingScriptStopsBeforeAnyFolderQuestion) {
    TFakeWorld w = World();
    w.Files.clear();
    std::vector<std::string> created;
    EXPECT_FALSE(RunInstall(w, Choice(), created).Done);
    EXPECT_TRUE(w.Asked.empty());
    EXPECT_EQ(w.Notices,
              (std::vector<std::string>{"setup.datが見つかりません。インストールできません."}));
}

TEST(Install, NonEmptyChosenFolderAsksAndNoKeepsTheOldValue) {
    TFakeWorld w = World();
    w.Folders.insert("/x");
    EXPECT_EQ(AcceptChosenFolder(w, "/x/"), "/x"); // empty: no question
    EXPECT_TRUE(w.Asked.empty());
    w.Files["/x/file"] = "";
    w.Answers = {false};
    EXPECT_FALSE(AcceptChosenFolder(w, "/x"));
    ASSERT_EQ(w.Asked.size(), 1u);
    EXPECT_EQ(w.Asked[0].rfind("指定のフォルダ (/x) には、ファイルがあります.", 0), 0u);
    EXPECT_EQ(AcceptChosenFolder(w, "/missing/"), "/missing");
}

TEST(Uninstall, RemovesWhatIsListedAndKeepsEverythingElse) {
    TFakeWorld w = World();
    TInstallChoice c = Choice();
    std::vector<std::string> created;
    ASSERT_TRUE(RunInstall(w, c, created).Done);
    // The copy is faked: put the listed files there, plus one of the user's.
    w.Files[c.AppFolder + "/glimra4"] = "";
    w.Folders.insert(c.AppFolder + "/Module");
    w.Files[c.AppFolder + "/Module/tessel.so"] = "";
    w.Files[c.AppFolder + "/GLIMRA4.INI"] = "user's";
    w.Notices.clear();
    TInstallRecord record = *ParseInstallRecord(w.Files[c.AppFolder + "/uninst.dat"]);
    EXPECT_FALSE(RunUninstall(w, record, c.AppFolder));
    EXPECT_TRUE(w.StoreRemoved); // the store did not exist before
    std::map<std::string, std::string> left = {{"/dist/setup.dat", w.Files["/dist/setup.dat"]},
                                               {c.AppFolder + "/GLIMRA4.INI", "user's"}};
    EXPECT_EQ(w.Files, left);
    EXPECT_FALSE(w.FolderExists(c.AppFolder + "/Module"));
    EXPECT_FALSE(w.FolderExists(c.StartFolder));
    EXPECT_TRUE(w.FolderExists(c.AppFolder)); // still holds the settings
    ASSERT_EQ(w.Notices.size(), 1u);
    EXPECT_NE(w.Notices[0].find(c.AppFolder), std::string::npos);
}

TEST(Uninstall, KeepsTheStoreThatExistedBefore) {
    TFakeWorld w;
    TInstallRecord r{{"/a/x"}, {}, true, {}};
    EXPECT_TRUE(RunUninstall(w, r, "/a")); // a missing file is skipped
    EXPECT_FALSE(w.StoreRemoved);
}

} // namespace glimra
