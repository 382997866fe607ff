#include "database/AccessMirror.h"

#include "database/AccessHeader.h"
#include "database/AccessReader.h"

#include "text/GbkText.h"
#include "text/Number.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

extern char** environ;

namespace {
struct CloseSqlite {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Sqlite = std::unique_ptr<sqlite3, CloseSqlite>;

constexpr const char* readerName = "pn_access_reader";
// The reader's own line on standard error: this, then the reason.
constexpr const char* readerPrefix = "pn_access_reader: ";

struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;

    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && size == o.size && modified == o.modified;
    }
};

struct Mirror {
    FileStamp stamp;
    std::string uri;
    Sqlite keeper; // an in-memory database lives while one connection to it is open
    // Why this version of the file cannot be read, where reading it again would fail the
    // same way (not an Access file, damaged, a reader that crashes on it); empty otherwise.
    std::string failure;
};

// The mirrors by file. Never destroyed: a pager thread may still be making one, waiting
// for its reader, while the program ends.
struct Cache {
    std::mutex mutex;
    std::map<std::string, Mirror> mirrors;
    unsigned made = 0;
};
Cache& cache() {
    static Cache* mirrors = new Cache;
    return *mirrors;
}

// Messages are GBK like every text of the program; paths and names arrive as UTF-8.
std::string quoted(const std::string& nativePath) {
    return "\"" + utf8ToGbk(nativePath) + "\"";
}

std::string besideFile(const std::string& file) {
    const size_t slash = file.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    const std::string candidate = file.substr(0, slash + 1) + readerName;
    return ::access(candidate.c_str(), X_OK) == 0 ? candidate : std::string();
}

// The reader program: beside the module this code is in (the plug-in), else beside the
// program that loaded it. PN_ACCESS_READER names another one.
std::string readerPath() {
    if (const char* given = std::getenv("PN_ACCESS_READER"); given && *given)
        return given;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&besideFile), &info) && info.dli_fname) {
        const std::string found = besideFile(info.dli_fname);
        if (!found.empty())
            return found;
    }
    char program[4096];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    return length > 0 ? besideFile(std::string(program, static_cast<size_t>(length))) : std::string();
}

// How long the reader may take: 30 s and 1 s per MiB of the file.
double timeLimit(off_t size) {
    double seconds = 0;
    const char* given = std::getenv("PN_ACCESS_READER_SECONDS");
    if (given && parseDecimal(given, seconds) && seconds > 0)
        return seconds;
    return 30.0 + static_cast<double>(size) / (1024.0 * 1024.0);
}

struct Spawn {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    Spawn() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~Spawn() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

struct Fd {
    int fd = -1;
    ~Fd() { reset(); }
    void reset() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

// The reason the reader gave on its last line of its own, else empty.
std::string readerReason(const std::string& output) {
    std::string reason;
    size_t at = 0;
    while ((at = output.find(readerPrefix, at)) != std::string::npos) {
        if (at == 0 || output[at - 1] == '\n') {
            const size_t from = at + std::strlen(readerPrefix);
            reason = output.substr(from, output.find('\n', from) - from);
        }
        ++at;
    }
    return reason;
}

// Runs the reader on the Access file into the SQLite file, waiting at most `seconds`;
// kills it (and anything it started) past that. Always reaps it. `lasting`: the reader
// came to its own end, so the same file would fail again the same way.
bool runReader(const std::string& reader, const std::string& accessPath, const std::string& sqlitePath,
               double seconds, std::string& error, bool& lasting) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("Cannot start the Access reader: ") + std::strerror(errno);
        return false;
    }
    Fd readEnd{ends[0]}, writeEnd{ends[1]};
    Spawn spawn;
    // Standard error into the pipe, nothing else of ours: every descriptor of this process
    // is closed in the child.
    posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&spawn.actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&spawn.actions, writeEnd.fd, 2);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    posix_spawn_file_actions_addclosefrom_np(&spawn.actions, 3);
#endif
    // A process group of its own, so that a timeout ends whatever it started too; the
    // signals and their handling of a fresh program.
    sigset_t none, usual;
    sigemptyset(&none);
    sigemptyset(&usual);
    for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD, SIGALRM, SIGUSR1, SIGUSR2})
        sigaddset(&usual, s);
    posix_spawnattr_setflags(&spawn.attributes,
                             POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&spawn.attributes, 0);
    posix_spawnattr_setsigmask(&spawn.attributes, &none);
    posix_spawnattr_setsigdefault(&spawn.attributes, &usual);
    std::vector<std::string> arguments = {reader, "--", accessPath, sqlitePath};
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    // The reader ends with this process (it asks the kernel to), even when the process
    // ends without unwinding; it is told which process it waits on.
    std::string parent = std::string(accessReaderParentVariable) + "=" + std::to_string(::getpid());
    std::vector<char*> environment;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, parent.c_str(), std::strlen(accessReaderParentVariable) + 1) != 0)
            environment.push_back(*e);
    environment.push_back(parent.data());
    environment.push_back(nullptr);

    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, reader.c_str(), &spawn.actions, &spawn.attributes, argv.data(), environment.data());
    writeEnd.reset();
    if (spawned != 0) {
        error = "Cannot start the Access reader " + quoted(reader) + ": " + std::strerror(spawned);
        return false;
    }

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    std::string output;
    int status = 0;
    bool ended = false, reaped = true;
    while (!ended) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        if (readEnd.fd >= 0) {
            pollfd wait{readEnd.fd, POLLIN, 0};
            if (::poll(&wait, 1, static_cast<int>(std::min<long long>(left, 1000))) <= 0)
                continue;
            char chunk[4096];
            const ssize_t got = ::read(readEnd.fd, chunk, sizeof chunk);
            if (got > 0 && output.size() < 65536)
                output.append(chunk, static_cast<size_t>(got));
            else if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN))
                readEnd.reset(); // the reader is ending
            continue;
        }
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) {
            ended = true;
            reaped = done == pid;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (!ended) {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        char limit[32];
        std::snprintf(limit, sizeof limit, "%.3g", seconds);
        error = "The Access reader took longer than " + std::string(limit) + " s reading " +
                quoted(accessPath) + " and was stopped";
        return false;
    }
    if (reaped && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    lasting = reaped;
    if (reaped && WIFSIGNALED(status)) {
        error = "The Access reader stopped on signal " + std::to_string(WTERMSIG(status)) + " reading " +
                quoted(accessPath);
        return false;
    }
    error = readerReason(output);
    if (error.empty())
        error = "The Access reader ended with status " + std::to_string(reaped ? WEXITSTATUS(status) : -1) +
                " reading " + quoted(accessPath);
    return false;
}

// A temporary file of this process's own, in $TMPDIR or /tmp, removed when this goes.
struct TemporaryFile {
    std::string path;
    ~TemporaryFile() {
        if (!path.empty())
            ::unlink(path.c_str());
    }
    bool make(std::string& error) {
        const char* folder = std::getenv("TMPDIR");
        std::string name = std::string(folder && *folder ? folder : "/tmp") + "/pn-access-XXXXXX";
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) {
            error = "Cannot make a temporary file " + quoted(name) + ": " + std::strerror(errno);
            return false;
        }
        ::close(fd);
        path = name;
        return true;
    }
};

// The SQLite file the reader wrote, copied into the in-memory database at uri.
bool copyIntoMemory(const std::string& file, const std::string& uri, Sqlite& keeper, std::string& error) {
    sqlite3* raw = nullptr;
    const int readable = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Sqlite source(raw);
    raw = nullptr;
    const int opened = sqlite3_open_v2(
        uri.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
        nullptr);
    keeper.reset(raw);
    if (readable != SQLITE_OK || opened != SQLITE_OK) {
        error = "Cannot create the in-memory copy: " +
                utf8ToGbk(sqlite3_errmsg(readable != SQLITE_OK ? source.get() : keeper.get()));
        return false;
    }
    sqlite3_backup* backup = sqlite3_backup_init(keeper.get(), "main", source.get(), "main");
    const bool copied = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
    if (backup)
        sqlite3_backup_finish(backup);
    if (!copied)
        error = "Cannot complete the in-memory copy: " + utf8ToGbk(sqlite3_errmsg(keeper.get()));
    return copied;
}

bool buildMirror(const std::string& nativePath, const FileStamp& stamp, const std::string& uri,
                 Sqlite& keeper, std::string& error, bool& lasting) {
    // Not an Access file, or cut short: turned away at once, without starting the reader
    // (which checks the same); a viewer opens its database some thirty times.
    if (!checkAccessHeader(nativePath, stamp.size, error)) {
        lasting = true;
        return false;
    }
    const std::string reader = readerPath();
    if (reader.empty()) {
        error = std::string("The Access reader ") + readerName +
                " is missing beside the plug-in and the program: cannot read " + quoted(nativePath);
        return false;
    }
    TemporaryFile copy;
    return copy.make(error) &&
           runReader(reader, nativePath, copy.path, timeLimit(stamp.size), error, lasting) &&
           copyIntoMemory(copy.path, uri, keeper, error);
}
} // namespace

bool AccessMirror::attach(const std::string& path, std::string& uri, std::string& error) {
    const std::string nativePath = gbkToUtf8(path);
    struct stat info {};
    if (::stat(nativePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "No Access database file at " + quoted(nativePath);
        return false;
    }
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;

    Cache& mirrors = cache();
    std::lock_guard<std::mutex> guard(mirrors.mutex);
    auto found = mirrors.mirrors.find(nativePath);
    if (found != mirrors.mirrors.end() && found->second.stamp == stamp) {
        uri = found->second.uri;
        error = found->second.failure;
        return error.empty();
    }
    Mirror mirror;
    mirror.stamp = stamp;
    mirror.uri = "file:pn-access-" + std::to_string(++mirrors.made) + "?mode=memory&cache=shared";
    bool lasting = false;
    if (!buildMirror(nativePath, stamp, mirror.uri, mirror.keeper, error, lasting)) {
        // Some thirty opens a start, each tile's retry among them: a file that cannot be read
        // is not read again until it changes. A reader that ran out of time or did not start
        // is tried again at the next open.
        if (lasting) {
            mirror.keeper.reset();
            mirror.failure = error;
            mirrors.mirrors[nativePath] = std::move(mirror);
        } else if (found != mirrors.mirrors.end()) {
            mirrors.mirrors.erase(found);
        }
        return false;
    }
    uri = mirror.uri;
    mirrors.mirrors[nativePath] = std::move(mirror);
    return true;
}
