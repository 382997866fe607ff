#include "database/DatabasePath.h"

#include "geo/XmlDocument.h"
#include "text/XmlBounds.h"

#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <mutex>
#include <stdexcept>

namespace {
// Found relative to the host's working directory and nowhere else.
const char* const configurationFile = "pipe.xml";
const char* const missingMessage = "找不到管网配置文件，请检查!";

std::atomic<unsigned> parses{0};

// What identifies one version of the file: parsed again only when one of these changes
// (the change time too, so that a file made readable again is read again).
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{0, 0};
    timespec changed{0, 0};
    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};
} // namespace

std::string databasePathIn(const std::string& bytes, std::string& error) {
    error.clear();
    const std::string bounds = xmlBoundsError(bytes.data(), bytes.size());
    if (!bounds.empty()) {
        error = std::string(configurationFile) + ": " + bounds;
        return std::string();
    }
    osg::ref_ptr<osgEarth::XmlDocument> document = osgEarth::XmlDocument::parse(bytes);
    if (!document.valid()) {
        error = missingMessage;
        return std::string();
    }
    if (!document->getConfig().hasChild("pipeline"))
        return std::string();
    return document->getConfig().child("pipeline").child("conn").value("str");
}

unsigned databasePathParses() {
    return parses.load();
}

std::string readDatabasePath() {
    static std::mutex mutex;
    static FileStamp cachedStamp;
    static std::string cachedPath;
    static std::string cachedError;

    struct stat info {};
    if (::stat(configurationFile, &info) != 0 || !S_ISREG(info.st_mode))
        throw std::runtime_error(missingMessage);
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim;
    stamp.changed = info.st_ctim;

    std::lock_guard<std::mutex> lock(mutex);
    if (!(stamp == cachedStamp)) {
        ++parses;
        cachedPath.clear();
        cachedError.clear();
        std::string bytes;
        std::ifstream in(configurationFile, std::ios::binary);
        if (in && static_cast<std::size_t>(info.st_size) <= maxXmlBytes)
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (static_cast<std::size_t>(info.st_size) > maxXmlBytes)
            cachedError =
                std::string(configurationFile) + ": larger than " + std::to_string(maxXmlBytes) + " bytes";
        else if (!in)
            cachedError = missingMessage;
        else
            cachedPath = databasePathIn(bytes, cachedError);
        cachedStamp = stamp;
    }
    if (!cachedError.empty())
        throw std::runtime_error(cachedError);
    return cachedPath;
}
