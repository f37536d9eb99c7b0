#pragma once
#include <optional>
#include <string>
#include <vector>

namespace glimra {

inline constexpr const char* ShortcutName = "GLIMRA 4th";
inline constexpr const char* ShortcutExtension = ".desktop";
inline constexpr const char* MainProgramName = "glimra4";
inline constexpr const char* UninstallerName = "UnInstall";
inline constexpr const char* UninstallShortcutName = "アンインストール";
inline constexpr const char* InstallScriptName = "setup.dat";
inline constexpr const char* InstallRecordName = "uninst.dat";

// What uninst.dat holds, in the order it is written.
struct TInstallRecord {
    std::vector<std::string> ApplicationFiles;
    std::vector<std::string> Shortcuts;
    bool StoreExisted = false;
    std::vector<std::string> CreatedFolders;
};

std::string InstallRecordText(const TInstallRecord& record);
// Reads what InstallRecordText wrote; nullopt when a section is missing or out of order.
std::optional<TInstallRecord> ParseInstallRecord(const std::string& text);
// Lines of a text file: LF or CR LF, no extra empty line after a final break.
std::vector<std::string> TextLines(const std::string& text);

enum class TNotice { Information, Warning };

// Everything the install does to the world; the setup program fills it with the
// platform layer, tests with fakes. Calls may throw: that fails the current step.
class TInstallWorld {
public:
    virtual ~TInstallWorld() = default;
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool FolderExists(const std::string& path) = 0;
    virtual bool FolderHasEntries(const std::string& path) = 0;
    virtual bool CreateFolders(const std::string& path) = 0;
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    virtual bool WriteFile(const std::string& path, const std::string& text) = 0;
    // The shell copy: each source into destination; 0 on success, -1 for nothing to do.
    virtual int CopyFiles(const std::vector<std::string>& sources,
                          const std::string& destination) = 0;
    // offerForFiles: the send-to entry, which offers the program for text files.
    virtual bool CreateShortcut(const std::string& link, const std::string& target,
                                const std::string& workingFolder, bool offerForFiles) = 0;
    virtual void Open(const std::string& path) = 0;
    virtual void StartProgram(const std::string& path, const std::string& argument) = 0;
    virtual bool StoreFolderExists() = 0;
    // OK/Cancel, or Yes/No when yesNo; true for OK or Yes.
    virtual bool Confirm(const std::string& text, bool yesNo) = 0;
    virtual void Notify(TNotice kind, const std::string& text) = 0;
};

struct TInstallFolders {
    std::string Desktop, SendTo, Programs, ProgramFiles;
    std::string StartFolder, AppFolder; // the two edits' defaults
};
TInstallFolders DefaultInstallFolders(const std::string& desktop, const std::string& sendTo,
                                      const std::string& programs, const std::string& programFiles);

struct TInstallChoice {
    std::string DistributionFolder;
    std::string AppFolder;   // as typed
    std::string StartFolder; // as typed
    std::string DesktopFolder, SendToFolder;
    bool DeskTop = true, SendTo = true, StartMenu = true;
};

struct TInstallResult {
    bool Done = false;
    std::string FailedStep; // the step code when a step failed, else empty
    TInstallRecord Record;  // as far as it got
};

// A chosen folder after the non-empty question; nullopt keeps the old value.
std::optional<std::string> AcceptChosenFolder(TInstallWorld& world, const std::string& chosen);

// Runs the whole install; createdFolders collects the folders this run created.
TInstallResult RunInstall(TInstallWorld& world, const TInstallChoice& choice,
                          std::vector<std::string>& createdFolders);

} // namespace glimra
