#pragma once
#include <string>
#include <vector>

class QWidget;

namespace glimra {

// Special folder ids as the installer names them.
inline constexpr int SpecialFolderPrograms = 2; // the applications menu
inline constexpr int SpecialFolderSendTo = 9;   // where "open with" entries live
inline constexpr int SpecialFolderDesktop = 16;

// The XDG folder for an id, without a trailing '/'; empty for an unknown id.
std::string SpecialFolder(int folderId);

// Where a user's own programs are installed (the XDG data folder).
std::string ProgramFilesFolder();

// Makes the file writable if it is not, then deletes it; folders are not deleted.
bool DeleteFile(const std::string& path);
// For tests: removing a file without the owner's write bit fails, as deleting a
// read-only file does where read-only is an attribute of the file. Tests run as
// root, which file modes never stop.
void SimulateReadOnlyRemovalFailure(bool on);

// Operation codes and result codes of ShellFileOperation.
inline constexpr int FileOpMove = 1;
inline constexpr int FileOpCopy = 2;
inline constexpr int FileOpDelete = 3;
inline constexpr int FileOpRename = 4;
inline constexpr int FileOpNothingDone = -1;
inline constexpr int FileOpOk = 0;
inline constexpr int FileOpNotFound = 2;
inline constexpr int FileOpAccessDenied = 5;
inline constexpr int FileOpBadArgument = 87;
inline constexpr int FileOpSameFile = 0x71;

// Moves, copies, deletes or renames a list of files or folders. Copy and move
// put each source into the destination folder, creating it first, and replace
// what is there; delete moves to the trash where it can; rename gives the one
// source the destination's path. Returns FileOpNothingDone for an empty list,
// FileOpOk, or the code of the first failure.
int ShellFileOperation(const std::vector<std::string>& paths, const std::string& destination,
                       int operation);

// Writes a desktop entry at linkPath that starts target in workingFolder. An entry
// that offers the program for text files takes the file as its argument and stays
// out of the menus.
bool CreateShortcut(const std::string& linkPath, const std::string& target,
                    const std::string& workingFolder, bool offerForTextFiles = false);
// The text CreateShortcut writes, for writers of their own.
std::string ShortcutText(const std::string& linkPath, const std::string& target,
                         const std::string& workingFolder, bool offerForTextFiles);

// Starts a program with arguments in the given folder, without waiting for it.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& folder);

// Starts a program (an executable file) in its own folder; opens a document, folder
// or web address with the desktop's choice.
void ShellOpen(QWidget* owner, const std::string& path);

} // namespace glimra
