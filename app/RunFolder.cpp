#include "RunFolder.h"

#include "ViewSettings.h"
#include "database/PostgresAddress.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What a signal handler removes: fixed buffers filled before any signal can need them, and
// only unlink and rmdir (both safe in a handler). Files the plug-in made at run time are
// left to the removal at a normal end.
struct Doomed {
    enum { MaxPaths = 32, MaxLength = 4096 };
    char paths[MaxPaths][MaxLength];
    bool folder[MaxPaths];
    volatile std::sig_atomic_t count = 0;
} g_doomed;
RunFolder* g_active = nullptr;

void remember(const std::string& path, bool folder) {
    int i = g_doomed.count;
    if (i >= Doomed::MaxPaths || path.size() >= Doomed::MaxLength)
        return;
    std::memcpy(g_doomed.paths[i], path.c_str(), path.size() + 1);
    g_doomed.folder[i] = folder;
    g_doomed.count = i + 1;
}

extern "C" void removeOnSignal(int signal) {
    for (int i = g_doomed.count - 1; i >= 0; --i)
        g_doomed.folder[i] ? rmdir(g_doomed.paths[i]) : unlink(g_doomed.paths[i]);
    g_doomed.count = 0;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void removeAtExit() {
    if (g_active)
        g_active->remove();
}

void installHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::atexit(removeAtExit);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT}) {
            struct sigaction current {};
            // A signal the caller ignores (nohup) stays ignored.
            if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
                struct sigaction action {};
                action.sa_handler = removeOnSignal;
                sigemptyset(&action.sa_mask);
                sigaction(signal, &action, nullptr);
            }
        }
    });
}

bool link(const fs::path& target, const fs::path& name, std::string& error) {
    std::error_code ec;
    fs::create_symlink(target, name, ec);
    if (ec) {
        error = "cannot link " + name.string() + " to " + target.string() + ": " + ec.message();
        return false;
    }
    remember(name.string(), false);
    return true;
}

} // namespace

RunFolder::~RunFolder() {
    remove();
}

bool RunFolder::create(const std::string& programDir, std::string& error) {
    installHandlers();
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/pipeviewer-XXXXXX";
    if (!mkdtemp(&pattern[0])) {
        error = "cannot make a working folder " + pattern + ": " + std::strerror(errno);
        return false;
    }
    _root = pattern;
    _bin = _root + "/bin";
    g_active = this;
    remember(_root, true);
    if (mkdir(_bin.c_str(), 0700) != 0) {
        error = "cannot make " + _bin + ": " + std::strerror(errno);
        return false;
    }
    remember(_bin, true);
    // The run's temporary files (the Access reader's copies among them) go with the folder,
    // also those of a reader the run did not wait for.
    const std::string tmpDir = _root + "/tmp";
    if (mkdir(tmpDir.c_str(), 0700) != 0) {
        error = "cannot make " + tmpDir + ": " + std::strerror(errno);
        return false;
    }
    remember(tmpDir, true);
    setenv("TMPDIR", tmpDir.c_str(), 1);
    // What the program's relative paths reach from its bin/: the models and the pit textures.
    std::error_code ec;
    fs::path shared = fs::path(programDir).parent_path();
    if (fs::is_directory(shared / "model", ec) && !link(shared / "model", fs::path(_root) / "model", error))
        return false;
    for (const fs::directory_entry& entry : fs::directory_iterator(shared, ec))
        if (entry.path().extension() == ".jpg" && entry.is_regular_file(ec) &&
            !link(entry.path(), fs::path(_root) / entry.path().filename(), error))
            return false;
    return true;
}

bool RunFolder::usePipeXml(const std::string& pipeXml, std::string& error) {
    std::string bytes;
    if (!readPipeXmlBytes(pipeXml, bytes, error))
        return false;
    QByteArray content = QByteArray::fromStdString(bytes);
    QDomDocument document;
    QDomElement conn;
    if (document.setContent(content))
        conn = document.documentElement().firstChildElement("conn");
    QString database = conn.attribute("str");
    // Windows-style relative paths too ("..\\data\\network.mdb"); "C:..." and "\\\\server" are absolute.
    // A server's address is no path at all.
    bool relative = !database.isEmpty() && !PostgresAddress::names(database.toStdString()) &&
                    QFileInfo(database).isRelative() && !database.startsWith('\\') &&
                    !(database.size() > 1 && database[1] == ':');
    if (relative) {
        conn.setAttribute("str",
                          QFileInfo(QString::fromLocal8Bit(pipeXml.c_str())).absolutePath() + "/" + database);
        // In the file's own encoding (its declaration's, GBK for the program's files).
        content.clear();
        QTextStream out(&content, QIODevice::WriteOnly);
        document.save(out, 2, QDomNode::EncodingFromDocument);
    }
    std::string target = _bin + "/pipe.xml";
    QFile copy(QString::fromLocal8Bit(target.c_str()));
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate) || copy.write(content) != content.size() ||
        !copy.flush()) {
        error = "cannot write " + target;
        return false;
    }
    remember(target, false);
    return true;
}

void RunFolder::remove() {
    if (g_active == this)
        g_active = nullptr;
    if (_root.empty())
        return;
    g_doomed.count = 0;
    std::error_code ec;
    fs::remove_all(_root, ec); // removes links, never follows them
    _root.clear();
    _bin.clear();
}
