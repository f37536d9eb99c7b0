#pragma once
#include "setup/install_record.h"

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

enum class TNotice { Information, Warning };
// Anything but a regular file or a folder is Other: a symbolic link, a device.
enum class TEntryKind { Missing, File, Folder, Other };

// Everything the install does to the world; the setup program fills it with the
// platform layer, tests with fakes. Calls may throw: that fails the current step.
// Nothing here writes or reads through a symbolic link in a target folder.
class TInstallWorld {
public:
    virtual ~TInstallWorld() = default;
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool FolderExists(const std::string& path) = 0;
    virtual bool FolderHasEntries(const std::string& path) = 0;
    virtual TEntryKind EntryKind(const std::string& path) = 0;
    // Creates the folder with its missing parents; made gets each folder it created,
    // parents first, even when a later one failed.
    virtual bool CreateFolders(const std::string& path, std::vector<std::string>& made) = 0;
    // An existing folder with symbolic links resolved; the path itself otherwise.
    virtual std::string RealFolder(const std::string& path) = 0;
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    virtual bool IsExecutable(const std::string& path) = 0;
    // A new file beside the target, then renamed over it.
    virtual bool WriteFile(const std::string& path, const std::string& bytes, bool executable) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool RemoveEmptyFolder(const std::string& path) = 0;
    // The text of a launcher; offerForFiles: the send-to entry, offered for text files.
    virtual std::string ShortcutText(const std::string& link, const std::string& target,
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

// What to do about a file in the way that setup did not make.
enum class TOverwrite { Ask, Refuse, Force };

struct TInstallChoice {
    std::string DistributionFolder;
    std::string AppFolder;   // as typed
    std::string StartFolder; // as typed
    std::string DesktopFolder, SendToFolder;
    std::string WorkingFolder, Home; // what typed folders are taken against
    bool DeskTop = true, SendTo = true, StartMenu = true;
    TOverwrite Overwrite = TOverwrite::Ask;
};

struct TInstallResult {
    bool Done = false;
    std::string FailedStep; // the step code when a step failed, else empty
    TInstallRecord Record;  // what uninst.dat holds afterwards
};

// A chosen folder after the non-empty question; nullopt keeps the old value.
std::optional<std::string> AcceptChosenFolder(TInstallWorld& world, const std::string& chosen);

// Runs the whole install. A failure removes what this run made, last first, and leaves
// uninst.dat as it was before plus what could not be taken back.
TInstallResult RunInstall(TInstallWorld& world, const TInstallChoice& choice);

} // namespace glimra
