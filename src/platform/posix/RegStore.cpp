#include "platform/posix/RegStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "platform/posix/RegFile.h"

namespace plat::reg {
namespace {

constexpr LONG kErrorRegistryIoFailed = 1016;
constexpr mode_t kNewFileMode = 0644;

LONG FromErrno(int e) {
    switch (e) {
        case EACCES:
        case EPERM:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return kErrorRegistryIoFailed;
    }
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    void Reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Closes now and reports what close said: for a written file that is
    // the last chance to hear of a write error.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

// Takes the side lock for `path`. A reader that cannot open the lock file
// (a read-only directory, or none yet) goes on without it: writers only ever
// rename whole files into place, so a reader still sees a complete file.
LONG Lock(const std::string& path, bool exclusive, Fd& lock) {
    const std::string lockPath = path + ".lock";
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && !exclusive) {
        fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return ERROR_SUCCESS;
    }
    if (fd < 0) return FromErrno(errno);
    lock.Reset(fd);
    while (::flock(fd, exclusive ? LOCK_EX : LOCK_SH) != 0)
        if (errno != EINTR) return FromErrno(errno);
    return ERROR_SUCCESS;
}

// Reads the whole file; a missing file reads as empty, and is an empty registry.
LONG ReadFile(const std::string& path, std::string& bytes, mode_t& mode) {
    bytes.clear();
    mode = kNewFileMode;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return errno == ENOENT ? ERROR_SUCCESS : FromErrno(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0) mode = st.st_mode & 07777;
    char buf[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n == 0) return ERROR_SUCCESS;
        if (n < 0) {
            if (errno == EINTR) continue;
            return FromErrno(errno);
        }
        bytes.append(buf, static_cast<size_t>(n));
    }
}

LONG WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return FromErrno(errno);
        }
        done += static_cast<size_t>(n);
    }
    return ERROR_SUCCESS;
}

LONG ReplaceFile(const std::string& path, const std::string& bytes, mode_t mode) {
    std::vector<char> tmp(path.begin(), path.end());
    for (char c : std::string_view(".XXXXXX")) tmp.push_back(c);
    tmp.push_back('\0');
    Fd fd(::mkostemp(tmp.data(), O_CLOEXEC));
    if (fd.get() < 0) return FromErrno(errno);
    // A test's throw-away registry needs no durability, and syncing it on
    // every write was most of what the test suites spent.
    const char* scratch = std::getenv("ZAV_REGISTRY_SCRATCH");
    const bool durable = !scratch || !*scratch;
    LONG rc = WriteAll(fd.get(), bytes);
    if (rc == ERROR_SUCCESS && (::fchmod(fd.get(), mode) != 0 || (durable && ::fsync(fd.get()) != 0)))
        rc = FromErrno(errno);
    if (!fd.Close() && rc == ERROR_SUCCESS) rc = FromErrno(errno);
    if (rc == ERROR_SUCCESS && ::rename(tmp.data(), path.c_str()) != 0) rc = FromErrno(errno);
    if (rc != ERROR_SUCCESS) {
        ::unlink(tmp.data());
        return rc;
    }
    // The rename itself must reach the disk too, or a crash could bring the
    // old file back after a caller was told its change was made.
    const std::string dir = std::filesystem::path(path).parent_path().string();
    if (!durable) return ERROR_SUCCESS;
    Fd dirFd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0) ::fsync(dirFd.get());
    return ERROR_SUCCESS;
}

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    std::vector<char> buf(16384);
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

// Parsing is most of what an access costs, and a provider reads the file
// again for each of its telephones: with a thousand of them, starting up
// took half a minute. The parsed file is kept while the file at the path is
// the same file (device and inode: writers rename a new one into place)
// with the same size and times. A file changed only a moment ago is not
// kept: a second change in the same tick of the file system's clock could
// leave all of those the same.
struct ParsedFile {
    std::string path;
    struct stat st {};
    std::shared_ptr<const RegNode> tree;
};
// Built on first use: the provider's load hook reads the registry before
// the library's globals are constructed, and a global here would then be
// constructed over what that read kept.
struct ParsedCache {
    std::mutex mutex;
    ParsedFile file;
};
ParsedCache& Parsed() {
    static ParsedCache cache;
    return cache;
}
constexpr long kSettledNs = 200'000'000;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

bool Settled(const struct stat& st) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto ns = [](const struct timespec& t) { return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec; };
    const long long changed = ns(st.st_mtim) > ns(st.st_ctim) ? ns(st.st_mtim) : ns(st.st_ctim);
    return ns(now) - changed > kSettledNs;
}

LONG Load(const std::string& path, RegNode& root, mode_t& mode) {
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists) {
        ParsedCache& parsed = Parsed();
        std::lock_guard<std::mutex> hold(parsed.mutex);
        if (parsed.file.tree && parsed.file.path == path && SameFile(parsed.file.st, st)) {
            root = *parsed.file.tree;
            mode = st.st_mode & 07777;
            return ERROR_SUCCESS;
        }
    }
    std::string content;
    if (const LONG rc = ReadFile(path, content, mode); rc != ERROR_SUCCESS) return rc;
    if (!ParseRegFile(content, root, nullptr)) return ERROR_BADDB;
    // Kept only when the file read is the one stat saw, unchanged since.
    struct stat after {};
    if (exists && ::stat(path.c_str(), &after) == 0 && SameFile(st, after) && Settled(after)) {
        ParsedCache& parsed = Parsed();
        std::lock_guard<std::mutex> hold(parsed.mutex);
        parsed.file = ParsedFile{path, after, std::make_shared<const RegNode>(root)};
    }
    return ERROR_SUCCESS;
}

}  // namespace

std::string RegistryFilePath() {
    if (const char* path = std::getenv("ZAV_REGISTRY"); path && *path) return path;
    // XDG asks that a relative XDG_CONFIG_HOME be ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return std::string(xdg) + "/zav/registry.reg";
    const std::string home = HomeDirectory();
    return home.empty() ? std::string() : home + "/.config/zav/registry.reg";
}

LONG ReadRegistry(const std::function<LONG(RegNode& root)>& op) {
    const std::string path = RegistryFilePath();
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    Fd lock;
    if (const LONG rc = Lock(path, false, lock); rc != ERROR_SUCCESS) return rc;
    RegNode root;
    mode_t mode = kNewFileMode;
    if (const LONG rc = Load(path, root, mode); rc != ERROR_SUCCESS) return rc;
    return op(root);
}

LONG UpdateRegistry(const std::function<LONG(RegNode& root, bool& changed)>& op) {
    const std::string path = RegistryFilePath();
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    const std::filesystem::path dir = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!dir.empty()) std::filesystem::create_directories(dir, ec);
    if (ec) return FromErrno(ec.value());
    Fd lock;
    if (const LONG rc = Lock(path, true, lock); rc != ERROR_SUCCESS) return rc;
    RegNode root;
    mode_t mode = kNewFileMode;
    if (const LONG rc = Load(path, root, mode); rc != ERROR_SUCCESS) return rc;
    bool changed = false;
    if (const LONG rc = op(root, changed); rc != ERROR_SUCCESS || !changed) return rc;
    std::string bytes;
    if (!FormatRegFile(root, bytes)) return ERROR_INVALID_DATA;
    return ReplaceFile(path, bytes, mode);
}

}  // namespace plat::reg
