// Files and folders. Names are UTF-16 here and UTF-8 bytes on the system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

// The system form of a file name (UTF-8).
std::string NativePath(std::u16string_view fileName);

// True for an existing file that is not a folder.
bool FileExists(std::u16string_view fileName);
bool FolderExists(std::u16string_view folder);
// True for a regular file (after symbolic links): not a folder, FIFO, socket or device node.
bool IsRegularFile(std::u16string_view fileName);
// True for a FIFO or a socket (after symbolic links): a name that holds no text of its own.
bool IsPipeOrSocket(std::u16string_view fileName);
// True when the name stands for something a file must not replace: a folder, a FIFO, a device
// node or a socket. Nothing there, a regular file and a symbolic link (whatever it points to) are
// not.
bool IsOccupiedByNonFile(std::u16string_view fileName);

// Everything before the last "/" (empty when there is none), and everything after it.
std::u16string FolderPart(std::u16string_view fileName);
std::u16string FileNameOnly(std::u16string_view fileName);
// The extension from the last "." of the name part, including the dot; empty when there is none.
std::u16string ExtensionOf(std::u16string_view fileName);
// Replaces the extension of the name part (appends when there is none); extension includes the dot.
std::u16string ChangeExtension(std::u16string_view fileName, std::u16string_view extension);

// Deletes a file; true when it is gone afterwards.
bool DeleteFileIfExists(std::u16string_view fileName);
// Removes a folder with everything in it, whatever the permissions inside; true when it is gone.
bool RemoveTree(std::u16string_view folder);

// Creates the folder and the folders above it that are missing; true when it is there afterwards.
bool MakeFolders(std::u16string_view folder);
// Whether files can be made in the folder: a new empty one is created there and removed again.
bool CanCreateFilesIn(std::u16string_view folder);

// Which file a name reaches, symbolic links followed: its device and inode. Two names of one file
// (a hard link, a symbolic link, another path to it) have the same identity.
struct TFileIdentity {
  uint64_t Device = 0;
  uint64_t Inode = 0;
  bool operator==(const TFileIdentity&) const = default;
};
// Nothing when the name reaches no file.
std::optional<TFileIdentity> IdentityOf(std::u16string_view fileName);

// The names of the entries of a folder, without "." and ".."; empty when it cannot be read.
std::vector<std::u16string> FolderEntries(std::u16string_view folder);

}  // namespace sonacli
