#include "setup/install_steps.h"
#include "setup/uninstall_steps.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace glimra {
namespace {

const std::string App = "/home/u/.local/share/GLIMRA 4th";
const std::string Menu = "/home/u/.local/share/applications/GLIMRA 4th";
const std::string Record = App + "/uninst.dat";

// A file system in memory that records what the install and the uninstall asked of it.
class TFakeWorld : public TInstallWorld, public TUninstallWorld {
public:
    std::set<std::string> Folders, Links, FailWrites, FailDeletes;
    std::map<std::string, std::string> Files;
    std::vector<bool> Answers; // for Confirm, in order; true when run out
    std::vector<std::string> Asked, Notices, Opened, Started, WrittenUnlisted;
    bool StoreFolder = false;

    std::vector<std::string> Entries(const std::string& p) const {
        std::vector<std::string> names;
        auto add = [&](const std::string& path) {
            if (ParentPath(path) == p)
                names.push_back(path.substr(p.size() + 1));
        };
        for (const auto& [path, text] : Files)
            add(path);
        for (const std::string& path : Folders)
            add(path);
        for (const std::string& path : Links)
            add(path);
        return names;
    }
    bool FileExists(const std::string& p) override { return Files.count(p) > 0; }
    bool FolderExists(const std::string& p) override { return Folders.count(p) > 0; }
    bool FolderHasEntries(const std::string& p) override { return !Entries(p).empty(); }
    TEntryKind EntryKind(const std::string& p) override {
        return Links.count(p)     ? TEntryKind::Other
               : Files.count(p)   ? TEntryKind::File
               : Folders.count(p) ? TEntryKind::Folder
                                  : TEntryKind::Missing;
    }
    bool CreateFolders(const std::string& p, std::vector<std::string>& made) override {
        if (p.find("forbidden") != std::string::npos)
            return false;
        for (std::string sofar; sofar.size() < p.size();) {
            size_t next = p.find('/', sofar.size() + 1);
            sofar = p.substr(0, next);
            if (Folders.insert(sofar).second)
                made.push_back(sofar);
        }
        return true;
    }
    std::string RealFolder(const std::string& p) override { return p; }
    std::optional<std::string> ReadFile(const std::string& p) override {
        auto it = Files.find(p);
        return it == Files.end() ? std::nullopt : std::optional(it->second);
    }
    bool IsExecutable(const std::string&) override { return false; }
    bool WriteFile(const std::string& p, const std::string& text, bool) override {
        if (FailWrites.count(p) || !Folders.count(ParentPath(p)) || Folders.count(p))
            return false;
        // A new file must be on record before it exists, or a killed setup forgets it.
        auto record = Files.find(Record);
        if (p != Record && !Files.count(p) &&
            (record == Files.end() || record->second.find("\n" + p + "\n") == std::string::npos))
            WrittenUnlisted.push_back(p);
        Links.erase(p);
        Files[p] = text;
        return true;
    }
    bool RemoveFile(const std::string& p) override { return DeleteFile(p); }
    bool RemoveEmptyFolder(const std::string& p) override {
        return Entries(p).empty() && Folders.erase(p) > 0;
    }
    std::string ShortcutText(const std::string&, const std::string& target, const std::string&,
                             bool) override {
        return "launcher of " + target;
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

    std::optional<std::vector<std::string>> FolderEntries(const std::string& p) override {
        return Folders.count(p) ? std::optional(Entries(p)) : std::nullopt;
    }
    bool DeleteFile(const std::string& p) override {
        return !FailDeletes.count(p) && (Files.erase(p) > 0 || Links.erase(p) > 0);
    }
    bool WriteFile(const std::string& p, const std::string& text) override {
        return WriteFile(p, text, false);
    }
    std::string StoreFile() override { return "/cfg/QUENTARO/GLIMRA4.conf"; }
    std::string StateFile() override { return "/state/glimra4/module-crash.rec"; }
    void Notify(const std::string& text) override { Notices.push_back(text); }
};

TInstallChoice Choice() {
    TInstallChoice c;
    c.DistributionFolder = "/dist";
    c.AppFolder = App;
    c.StartFolder = Menu;
    c.DesktopFolder = "/home/u/Desktop";
    c.SendToFolder = "/home/u/.local/share/applications";
    c.WorkingFolder = "/work";
    c.Home = "/home/u";
    c.Overwrite = TOverwrite::Refuse;
    return c;
}

TFakeWorld World() {
    TFakeWorld w;
    w.Files = {{"/dist/setup.dat", "glimra4\nUnInstall\nModule/tessel.so\n"},
               {"/dist/glimra4", "program"},
               {"/dist/UnInstall", "uninstaller"},
               {"/dist/Module/tessel.so", "module"}};
    w.Folders = {"/dist",
                 "/dist/Module",
                 "/home",
                 "/home/u",
                 "/home/u/Desktop",
                 "/home/u/.local",
                 "/home/u/.local/share",
                 "/home/u/.local/share/applications"};
    return w;
}

std::map<std::string, std::string> DistFiles(const TFakeWorld& w) {
    std::map<std::string, std::string> files;
    for (const auto& [path, text] : w.Files)
        if (path.rfind("/dist/", 0) == 0)
            files[path] = text;
    return files;
}

} // namespace

TEST(InstallRecord, RoundTripsAndRefusesWhatCouldNotHaveBeenWritten) {
    TInstallRecord r{{"/a/x", "/a/y"}, {"/s/GLIMRA 4th.desktop"}, false, {"/a", "/s"}, {}};
    r.Hashes["/a/x"] = ContentHash("x");
    std::string text = InstallRecordText(r);
    EXPECT_EQ(text, "[APPLICATION FILES]\n/a/x\n/a/y\n[SHORTCUT FILES]\n/s/GLIMRA 4th.desktop\n"
                    "[UNINSTALL INFO]\nFALSE\n[DIRECTORIES]\n/a\n/s\n[FILE HASHES]\n" +
                        ContentHash("x") + " /a/x\n");
    std::optional<TInstallRecord> back = ParseInstallRecord(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(InstallRecordText(*back), text);
    EXPECT_NE(ContentHash("x"), ContentHash("y"));
    for (const char* bad :
         {"[SHORTCUT FILES]\n[UNINSTALL INFO]\nTRUE\n",
          "[APPLICATION FILES]\n[SHORTCUT FILES]\n[UNINSTALL INFO]\nYES\n",
          "[APPLICATION FILES]\nrel/glimra4\n[SHORTCUT FILES]\n[UNINSTALL INFO]\nTRUE\n",
          "[APPLICATION FILES]\n/a/../b\n[SHORTCUT FILES]\n[UNINSTALL INFO]\nTRUE\n",
          "[APPLICATION FILES]\n/a\tb\n[SHORTCUT FILES]\n[UNINSTALL INFO]\nTRUE\n",
          "[APPLICATION FILES]\n[SHORTCUT FILES]\n[UNINSTALL INFO]\nTRUE\n"
          "[FILE HASHES]\n0123456789abcdef /etc/passwd\n"})
        EXPECT_FALSE(ParseInstallRecord(bad)) << bad;
}

TEST(InstallRecord, TypedFoldersBecomeAbsoluteAndNormal) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"rel", "/work/rel"},
        {"./a/../b/", "/work/b"},
        {"~", "/home/u"},
        {"~/g4", "/home/u/g4"},
        {"~other", "/work/~other"},
        {"/opt//g/./", "/opt/g"},
        {"/", "/"},
        {"", std::nullopt},
        {"/opt/a\nb", std::nullopt},
        {"/opt/a\x7f", std::nullopt},
    };
    for (const auto& [typed, expected] : cases)
        EXPECT_EQ(NormalInstallPath(typed, "/work", "/home/u"), expected) << typed;
}

TEST(InstallRecord, ASecondInstallAddsToTheFirst) {
    TInstallRecord first{{"/a/x", "/a/y"}, {}, false, {"/a"}, {{"/a/x", "1"}, {"/a/y", "2"}}};
    TInstallRecord second{{"/a/x", "/a/z"}, {"/m/GLIMRA 4th.desktop"}, true, {"/m"}, {}};
    second.Hashes["/a/z"] = "3";
    TInstallRecord merged = MergeInstallRecords(first, second);
    EXPECT_EQ(merged.ApplicationFiles, (std::vector<std::string>{"/a/x", "/a/y", "/a/z"}));
    EXPECT_EQ(merged.CreatedFolders, (std::vector<std::string>{"/a", "/m"}));
    EXPECT_FALSE(merged.StoreExisted);
    // /a/x was replaced on request this time: no longer setup's.
    EXPECT_EQ(merged.Hashes, (std::map<std::string, std::string>{{"/a/y", "2"}, {"/a/z", "3"}}));
}

TEST(InstallDefaults, FoldersNamedAfterTheProgram) {
    TInstallFolders f = DefaultInstallFolders("/d", "/s", "/p", "/pf");
    EXPECT_EQ(f.StartFolder, "/p/GLIMRA 4th");
    EXPECT_EQ(f.AppFolder, "/pf/GLIMRA 4th");
}

TEST(Install, FullRunListsEveryFileAndFolderBeforeMakingIt) {
    TFakeWorld w = World();
    TInstallChoice c = Choice();
    c.AppFolder = "~/.local/share/./GLIMRA 4th/";
    TInstallResult r = RunInstall(w, c);
    ASSERT_TRUE(r.Done);
    EXPECT_TRUE(w.WrittenUnlisted.empty()) << w.WrittenUnlisted[0];
    EXPECT_EQ(w.Files[App + "/Module/tessel.so"], "module");
    const std::string send = c.SendToFolder + "/GLIMRA 4th.desktop";
    const std::string desk = c.DesktopFolder + "/GLIMRA 4th.desktop";
    std::string expected = "[APPLICATION FILES]\n" + App + "/glimra4\n" + App + "/UnInstall\n" +
                           App + "/Module/tessel.so\n[SHORTCUT FILES]\n" + send + "\n" + Menu +
                           "/GLIMRA 4th.desktop\n" + Menu + "/アンインストール.desktop\n" + desk +
                           "\n[UNINSTALL INFO]\nFALSE\n[DIRECTORIES]\n" + App + "\n" + Menu + "\n" +
                           App + "/Module\n[FILE HASHES]\n";
    ASSERT_EQ(w.Files[Record].substr(0, expected.size()), expected);
    EXPECT_EQ(r.Record.Hashes.size(), 7u);
    EXPECT_EQ(r.Record.Hashes[send], ContentHash("launcher of " + App + "/glimra4"));
    EXPECT_TRUE(w.Opened.empty());
    EXPECT_EQ(w.Started, (std::vector<std::string>{App + "/UnInstall /dist"}));
}

TEST(Install, AllBoxesUncheckedOpensTheProgramOnceAndListsNoShortcut) {
    TFakeWorld w = World();
    w.StoreFolder = true;
    TInstallChoice c = Choice();
    c.DeskTop = c.SendTo = c.StartMenu = false;
    TInstallResult r = RunInstall(w, c);
    ASSERT_TRUE(r.Done);
    EXPECT_TRUE(r.Record.Shortcuts.empty());
    EXPECT_EQ(r.Record.CreatedFolders.size(), 3u) << "the menu folder is still offered and made";
    EXPECT_EQ(w.Opened, (std::vector<std::string>{App + "/glimra4"}));
    EXPECT_NE(w.Files[Record].find("[SHORTCUT FILES]\n[UNINSTALL INFO]\nTRUE\n"),
              std::string::npos);
}

TEST(Install, CancellingAFolderCopiesNothingAndSaysWhichFolder) {
    for (int which = 0; which < 3; ++which) {
        TFakeWorld w = World();
        w.Answers = {which != 0 && which != 2, which != 1 && which != 2};
        EXPECT_FALSE(RunInstall(w, Choice()).Done);
        EXPECT_EQ(w.Asked.size(), 2u) << "both folders are always offered";
        const char* prefix = which == 0   ? "インストール先の"
                             : which == 1 ? "スタートメニューの"
                                          : "インストール先およびスタートメニューの";
        ASSERT_FALSE(w.Notices.empty());
        EXPECT_EQ(w.Notices.back(), std::string(prefix) + "フォルダの指定が不正です.");
        EXPECT_EQ(w.Notices.front(), "フォルダの作成を中止しました.");
        EXPECT_EQ(w.Folders, World().Folders) << "a folder made for it is taken back";
    }
}

TEST(Install, NamesThatCannotBeRecordedAreRefusedBeforeAnythingIsMade) {
    TFakeWorld w = World();
    TInstallChoice c = Choice();
    c.AppFolder = "/opt/g\n4";
    EXPECT_FALSE(RunInstall(w, c).Done);
    EXPECT_EQ(w.Folders, World().Folders);
    EXPECT_TRUE(w.Asked.empty());
    EXPECT_EQ(w.Notices.back().rfind("インストール先のフォルダの指定が不正です.", 0), 0u);
}

// Every failure takes back what the run made, last first, and keeps an earlier
// install's record whole.
TEST(Install, AFailedStepTakesBackWhatItMade) {
    struct TCase {
        const char* Name;
        std::string Step;
        void (*Break)(TFakeWorld&);
    };
    const TCase cases[] = {
        {"missing source", "005", [](TFakeWorld& w) { w.Files.erase("/dist/Module/tessel.so"); }},
        {"send-to", "006",
         [](TFakeWorld& w) { w.FailWrites.insert(Choice().SendToFolder + "/GLIMRA 4th.desktop"); }},
        {"menu", "007",
         [](TFakeWorld& w) { w.FailWrites.insert(Menu + "/アンインストール.desktop"); }},
        {"desktop", "008", [](TFakeWorld& w) { w.Folders.erase("/home/u/Desktop"); }},
    };
    for (const TCase& c : cases) {
        for (bool earlier : {false, true}) {
            TFakeWorld w = World();
            if (earlier) {
                ASSERT_TRUE(RunInstall(w, Choice()).Done);
            }
            const std::map<std::string, std::string> before = w.Files;
            c.Break(w);
            const std::set<std::string> folders = w.Folders;
            TInstallResult r = RunInstall(w, Choice());
            EXPECT_FALSE(r.Done) << c.Name;
            EXPECT_EQ(r.FailedStep, c.Step) << c.Name;
            EXPECT_EQ(w.Notices.back(), "インストール中にエラーが発生しました( " + c.Step + ").");
            if (earlier) {
                // Replaced files are the new ones, still setup's; the rest is as it was.
                for (const auto& [path, text] : before)
                    EXPECT_TRUE(w.Files.count(path) || path.rfind("/dist/", 0) == 0)
                        << c.Name << ": " << path;
                EXPECT_EQ(ParseInstallRecord(w.Files[Record])->ApplicationFiles,
                          ParseInstallRecord(before.at(Record))->ApplicationFiles);
            } else {
                EXPECT_EQ(w.Files, DistFiles(w)) << c.Name;
                EXPECT_EQ(w.Folders, folders) << c.Name;
            }
        }
    }
}

TEST(Install, FilesSetupDidNotMakeAreReplacedOnlyOnRequestAndStayTheUsers) {
    for (TOverwrite mode : {TOverwrite::Refuse, TOverwrite::Ask, TOverwrite::Force}) {
        TFakeWorld w = World();
        w.Folders.insert(App);
        w.Files[App + "/UnInstall"] = "the user's";
        w.Links.insert(App + "/glimra4.part");
        TInstallChoice c = Choice();
        c.Overwrite = mode;
        w.Answers = {true, false}; // create the menu folder, then do not overwrite
        TInstallResult r = RunInstall(w, c);
        EXPECT_EQ(r.Done, mode == TOverwrite::Force);
        EXPECT_TRUE(w.Links.count(App + "/glimra4.part"));
        if (mode != TOverwrite::Force) {
            EXPECT_EQ(w.Files[App + "/UnInstall"], "the user's");
            EXPECT_FALSE(w.Folders.count(Menu));
            EXPECT_FALSE(w.Files.count(Record));
            std::string said = mode == TOverwrite::Ask ? w.Asked.back() : w.Notices.back();
            EXPECT_NE(said.find(App + "/UnInstall"), std::string::npos);
            continue;
        }
        EXPECT_EQ(r.Record.Hashes.count(App + "/UnInstall"), 0u);
        // A second install leaves it the user's, and its own files are replaced quietly.
        w.Files["/dist/glimra4"] = "new program";
        w.Notices.clear();
        ASSERT_TRUE(RunInstall(w, c).Done);
        ASSERT_EQ(w.Notices.size(), 1u);
        EXPECT_NE(w.Notices[0].find(App + "/UnInstall"), std::string::npos);
        TInstallRecord merged = *ParseInstallRecord(w.Files[Record]);
        EXPECT_EQ(merged.Hashes.count(App + "/UnInstall"), 0u);
        EXPECT_EQ(merged.Hashes[App + "/glimra4"], ContentHash("new program"));
    }
}

TEST(Install, MissingScriptStopsBeforeAnyFolderQuestion) {
    TFakeWorld w = World();
    w.Files.clear();
    EXPECT_FALSE(RunInstall(w, Choice()).Done);
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

TEST(Uninstall, RemovesOnlyWhatSetupWroteAndKeepsARecordOfWhatIsLeft) {
    TFakeWorld w = World();
    w.Folders.insert("/cfg");
    ASSERT_TRUE(RunInstall(w, Choice()).Done);
    // The program ran: its settings, another program's file beside them.
    w.Folders.insert("/cfg/QUENTARO");
    w.Files["/cfg/QUENTARO/GLIMRA4.conf"] = "settings";
    w.Files["/cfg/QUENTARO/OTHER.conf"] = "other";
    w.Folders.insert("/state/glimra4");
    w.Files["/state/glimra4/module-crash.rec"] = std::string(16, '\0');
    w.Files[App + "/Module/tessel.so"] = "changed by the user";
    w.Files.erase(Menu + "/GLIMRA 4th.desktop");
    w.Files[App + "/notes.txt"] = "the user's";
    const std::string desk = "/home/u/Desktop/GLIMRA 4th.desktop";
    w.Files.erase(desk);
    w.Links.insert(desk);
    w.Notices.clear();

    TInstallRecord record = *ParseInstallRecord(w.Files[Record]);
    EXPECT_FALSE(RunUninstall(w, record, App));
    EXPECT_FALSE(w.Files.count(App + "/glimra4"));
    EXPECT_FALSE(w.Files.count("/cfg/QUENTARO/GLIMRA4.conf"));
    EXPECT_TRUE(w.Files.count("/cfg/QUENTARO/OTHER.conf"));
    EXPECT_FALSE(w.Folders.count("/state/glimra4")) << "the program's crash record and its folder";
    EXPECT_TRUE(w.Links.count(desk));
    EXPECT_EQ(w.Files[App + "/Module/tessel.so"], "changed by the user");
    EXPECT_FALSE(w.Folders.count(Menu));
    // The uninstaller and a record of the folders still in the way stay for another run.
    TInstallRecord left = *ParseInstallRecord(w.Files[Record]);
    EXPECT_EQ(left.ApplicationFiles, (std::vector<std::string>{App + "/UnInstall"}));
    EXPECT_EQ(left.CreatedFolders, (std::vector<std::string>{App + "/Module", App}));
    EXPECT_FALSE(left.StoreExisted);

    w.Files.erase(App + "/notes.txt");
    w.Files.erase(App + "/Module/tessel.so");
    EXPECT_TRUE(RunUninstall(w, left, App));
    EXPECT_FALSE(w.Folders.count(App));
    std::map<std::string, std::string> rest = DistFiles(w);
    rest["/cfg/QUENTARO/OTHER.conf"] = "other";
    EXPECT_EQ(w.Files, rest);
    EXPECT_TRUE(w.Folders.count("/cfg/QUENTARO")) << "it still holds another program's file";
}

TEST(Uninstall, AFailedDeletionKeepsItOnRecord) {
    TFakeWorld w = World();
    w.StoreFolder = true;
    ASSERT_TRUE(RunInstall(w, Choice()).Done);
    w.FailDeletes.insert(App + "/glimra4");
    EXPECT_FALSE(RunUninstall(w, *ParseInstallRecord(w.Files[Record]), App));
    TInstallRecord left = *ParseInstallRecord(w.Files[Record]);
    EXPECT_EQ(left.ApplicationFiles,
              (std::vector<std::string>{App + "/glimra4", App + "/UnInstall"}));
    EXPECT_TRUE(left.StoreExisted);
    w.FailDeletes.clear();
    EXPECT_TRUE(RunUninstall(w, left, App));
    EXPECT_EQ(w.Files, DistFiles(w));
    EXPECT_EQ(w.Folders, World().Folders);
}

TEST(Uninstall, RecordEntriesMustBeWhatSetupCouldHaveMadeThere) {
    const std::pair<TInstallRecord, std::optional<std::string>> cases[] = {
        {{{App + "/glimra4"},
          {Menu + "/GLIMRA 4th.desktop"},
          false,
          {"/home/u/.local", App, Menu},
          {}},
         std::nullopt},
        {{{"/home/u/.bashrc"}, {}, false, {}, {}}, "/home/u/.bashrc"},
        {{{}, {"/home/u/.profile"}, false, {}, {}}, "/home/u/.profile"},
    };
    for (const auto& [record, stray] : cases)
        EXPECT_EQ(StrayRecordEntry(record, App), stray);
}

} // namespace glimra
