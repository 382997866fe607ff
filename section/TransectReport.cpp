#include "section/TransectReport.h"

#include "Torvik/CXPlayerManager.h"
#include "database/DatabasePath.h"
#include "section/ClearanceTable.h"
#include "section/CrossSection.h"
#include "section/NetworkPipe.h"
#include "section/SectionPicture.h"
#include "section/SectionTable.h"
#include "text/GbkText.h"
#include "text/Number.h"

#include <QDateTime>
#include <QFileInfo>

#include <chrono>
#include <cmath>
#include <sstream>
#include <vector>

namespace {
// What identifies the network read last: the database pipe.xml names, as it stands on disk.
std::string databaseStamp() {
    try {
        QFileInfo file(gbkToQString(readDatabasePath()));
        if (!file.isFile())
            return std::string();
        return qstringToGbk(file.absoluteFilePath()) + '|' + std::to_string(file.size()) + '|' +
               std::to_string(file.lastModified().toMSecsSinceEpoch());
    } catch (const std::exception&) {
        return std::string();
    }
}
} // namespace

const std::vector<NetworkPipe>& TransectReport::network(std::string& problems) {
    // Kept from one section to the next while the database file stays as it is: a large
    // network takes seconds to read. A read that missed a kind is not kept.
    static std::string stamp;
    static std::vector<NetworkPipe> pipes;
    std::string now = databaseStamp();
    if (!now.empty() && now == stamp)
        return pipes;
    pipes.clear();
    stamp.clear();
    NetworkPipe::readAll(pipes, problems);
    if (problems.empty())
        stamp = now;
    return pipes;
}

bool TransectReport::run(const std::string& payload, const Options& options, std::ostream& out,
                         std::ostream& err, CrossSection* computed) {
    double v[4];
    int n = 0;
    std::istringstream fields(payload);
    for (std::string field; std::getline(fields, field, ',');)
        if (n == 4 || !parseDecimal(field, v[n++])) {
            n = -1;
            break;
        }
    if (n != 4) {
        err << "pipeviewer: section: expected \"ax,ay,bx,by\", not \"" << gbkToUtf8(payload) << "\""
            << std::endl;
        return false;
    }

    ClearanceTable table;
    std::vector<std::string> problems;
    if (!options.clearanceFile.empty() && !table.read(options.clearanceFile, problems))
        err << "pipeviewer: section: cannot read " << options.clearanceFile << "; every pair must keep "
            << ClearanceTable::DefaultMetres << " m" << std::endl;
    for (const std::string& problem : problems)
        err << "pipeviewer: section: " << options.clearanceFile << ", " << problem << " (left out)"
            << std::endl;

    std::string unread;
    auto started = std::chrono::steady_clock::now();
    const std::vector<NetworkPipe>& pipes = network(unread);
    if (!unread.empty())
        err << "pipeviewer: section: the network could not all be read:\n" << gbkToUtf8(unread) << std::flush;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    CrossSection section = CrossSection::compute(
        v[0], v[1], v[2], v[3], pipes, [](double x, double y) { return g_playerManager->getHeight(x, y); },
        table);
    out << "section\tnetwork\t" << pipes.size() << " segments ready in "
        << formatDecimal(std::round(seconds * 1000) / 1000) << " s" << std::endl;
    SectionTable::print(section, out);

    bool ok = true;
    std::string error;
    SectionPicture picture(section, options.width, options.height);
    if (!SectionTable::writeCsv(section, options.prefix + ".csv", error) ||
        !picture.writeSvg(options.prefix + ".svg", error))
        ok = false, err << "pipeviewer: section: " << error << std::endl;
    if (!picture.writePng(options.prefix + ".png", error))
        ok = false, err << "pipeviewer: section: " << error << std::endl;
    out << "section\tfiles\t" << options.prefix << ".csv\t" << options.prefix << ".svg\t" << options.prefix
        << ".png" << std::endl;
    if (computed)
        *computed = std::move(section);
    return ok;
}
