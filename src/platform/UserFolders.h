#pragma once
#include <cstddef>
#include <string>

namespace drifthold {

// Where the player's files go, by the XDG base directory and user-dirs rules. Each rule is
// a pure function of the environment's values (null for unset) with a wrapper that reads
// the environment. An empty result means there is no folder to use (no usable HOME).

// $XDG_CONFIG_HOME when it is absolute, else $HOME/.config.
std::string configHomeFrom(const char* xdgConfigHome, const char* home);
std::string configHome();

// One XDG_*_DIR entry of a user-dirs.dirs file (e.g. "XDG_PICTURES_DIR"), with a leading
// $HOME expanded; empty when the entry is missing or is neither absolute nor under $HOME.
std::string userDirEntry(const std::string& fileText, const std::string& name,
                         const std::string& home);

// $XDG_PICTURES_DIR when it is absolute, else the entry in <configHome>/user-dirs.dirs,
// else $HOME/Pictures.
std::string picturesDirFrom(const char* xdgPicturesDir, const std::string& configHome,
                            const char* home);
std::string picturesDir();

// A small file of the player's (settings, pad mappings), read whole. Only a regular file is
// read: a named pipe or a device where the file should be would block start-up or never
// end, so opening never waits and anything else is NotAFile.
struct FileText {
    enum class Status { Read, Missing, NotAFile, TooLarge, Unreadable };
    Status status = Status::Missing;
    std::string text;
    std::string why; // the system's reason, when Unreadable
};
FileText readPlayerFile(const std::string& path, std::size_t maxBytes);

// Writes all of `bytes` to the open file `fd`, again where a write is cut short or
// interrupted; false when the system refuses (errno says why).
bool writeAll(int fd, const std::string& bytes);

// Makes `path` and every missing folder above it with `mode`; returns an empty string, or
// why not (the failing folder and the system's reason).
std::string makeFolders(const std::string& path, unsigned mode);

} // namespace drifthold
