#include "platform/UserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace drifthold {

namespace {

bool absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

// A relative HOME would put the player's files in whatever folder the game runs in (its
// data folder, when started by the launcher).
std::string usableHome(const char* home) {
    return absolute(home) ? std::string(home) : std::string();
}

// Far beyond any real user-dirs.dirs.
constexpr std::size_t kMaxUserDirsFile = 64 * 1024;

} // namespace

std::string configHomeFrom(const char* xdgConfigHome, const char* home) {
    if (absolute(xdgConfigHome))
        return xdgConfigHome;
    const std::string base = usableHome(home);
    return base.empty() ? base : base + "/.config";
}

std::string configHome() {
    return configHomeFrom(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string userDirEntry(const std::string& fileText, const std::string& name,
                         const std::string& home) {
    std::istringstream lines(fileText);
    std::string line;
    std::string found;
    // Read as xdg-user-dirs writes it: NAME="$HOME/sub" or NAME="/abs", one per line; the
    // shell would take the last assignment, so this does too.
    while (std::getline(lines, line)) {
        std::size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos || line.compare(i, name.size(), name) != 0)
            continue;
        i = line.find_first_not_of(" \t", i + name.size());
        if (i == std::string::npos || line[i] != '=')
            continue;
        i = line.find_first_not_of(" \t", i + 1);
        if (i == std::string::npos || line[i] != '"')
            continue;
        ++i;
        std::string path;
        if (line.compare(i, 5, "$HOME") == 0 && (line[i + 5] == '/' || line[i + 5] == '"')) {
            if (home.empty())
                continue;
            path = home;
            i += 5;
        } else if (line[i] != '/') {
            continue;
        }
        bool closed = false;
        for (; i < line.size(); ++i) {
            if (line[i] == '"') {
                closed = true;
                break;
            }
            if (line[i] == '\\' && i + 1 < line.size())
                ++i;
            path += line[i];
        }
        if (closed)
            found = path;
    }
    while (found.size() > 1 && found.back() == '/')
        found.pop_back();
    return found;
}

std::string picturesDirFrom(const char* xdgPicturesDir, const std::string& configHome,
                            const char* home) {
    if (absolute(xdgPicturesDir))
        return xdgPicturesDir;
    const std::string base = usableHome(home);
    if (!configHome.empty()) {
        const FileText file = readPlayerFile(configHome + "/user-dirs.dirs", kMaxUserDirsFile);
        if (file.status == FileText::Status::Read) {
            const std::string entry = userDirEntry(file.text, "XDG_PICTURES_DIR", base);
            if (!entry.empty())
                return entry;
        }
    }
    return base.empty() ? base : base + "/Pictures";
}

std::string picturesDir() {
    return picturesDirFrom(std::getenv("XDG_PICTURES_DIR"), configHome(), std::getenv("HOME"));
}

std::string makeFolders(const std::string& path, unsigned mode) {
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string folder = path.substr(0, end);
        if (!folder.empty() && mkdir(folder.c_str(), mode) != 0 && errno != EEXIST)
            return folder + ": " + std::strerror(errno);
        if (end == std::string::npos)
            break;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return path + ": " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode))
        return path + ": " + std::strerror(ENOTDIR);
    return {};
}

FileText readPlayerFile(const std::string& path, std::size_t maxBytes) {
    FileText file;
    const auto unreadable = [&file]() -> FileText& {
        file.status = FileText::Status::Unreadable;
        file.why = std::strerror(errno);
        file.text.clear();
        return file;
    };
    // Non-blocking, so that opening a named pipe does not wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return file;
        return unreadable();
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        file.status = FileText::Status::NotAFile;
        return file;
    }
    file.status = FileText::Status::Read;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            unreadable();
            break;
        }
        if (got == 0)
            break;
        file.text.append(buffer, static_cast<std::size_t>(got));
        if (file.text.size() > maxBytes) {
            file.status = FileText::Status::TooLarge;
            file.text.clear();
            break;
        }
    }
    close(fd);
    return file;
}

bool writeAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace drifthold
