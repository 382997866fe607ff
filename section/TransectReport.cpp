#include "section/TransectReport.h"

#include "Torvik/CXPlayerManager.h"
#include "section/ClearanceTable.h"
#include "section/CrossSection.h"
#include "section/NetworkPipe.h"
#include "section/SectionPicture.h"
#include "section/SectionTable.h"
#include "text/GbkText.h"
#include "text/Number.h"

#include <sstream>
#include <vector>

bool TransectReport::run(const std::string& payload, const Options& options, std::ostream& out,
                         std::ostream& err) {
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

    std::vector<NetworkPipe> pipes;
    std::string unread;
    if (!NetworkPipe::readAll(pipes, unread))
        err << "pipeviewer: section: the network could not be read:\n" << gbkToUtf8(unread) << std::flush;
    CrossSection section = CrossSection::compute(
        v[0], v[1], v[2], v[3], pipes, [](double x, double y) { return g_playerManager->getHeight(x, y); },
        table);
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
    return ok;
}
