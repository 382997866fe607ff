#include "section/SectionTable.h"

#include "network/UtilityKind.h"
#include "section/CrossSection.h"
#include "text/GbkText.h"

#include <fstream>
#include <iomanip>
#include <sstream>

namespace {
std::string fixed(double value, int decimals) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}
std::string contactText(const CrossSection::Row& row) {
    if (row.contact == CrossSection::Contact::EndOnLine)
        return "end on the line";
    if (row.contact == CrossSection::Contact::Along)
        return "along the line to " + fixed(row.alongTo, 2) + " m";
    return "";
}
} // namespace

std::string SectionTable::sizeText(const CrossSection& section, std::size_t index) {
    const CrossSection::Row& row = section.rows[index];
    if (row.shape == PipeSection::Shape::Round)
        return "D" + fixed(row.width * 1000.0, 0);
    if (row.shape == PipeSection::Shape::Rectangular)
        return fixed(row.width * 1000.0, 0) + "x" + fixed(row.height * 1000.0, 0);
    return "?";
}

std::string SectionTable::tooCloseTo(const CrossSection& section, std::size_t row) {
    std::string list;
    for (const CrossSection::Clearance& c : section.clearances)
        if (c.first == row || c.second == row)
            list += (list.empty() ? "" : " ") + std::to_string((c.first == row ? c.second : c.first) + 1);
    return list;
}

const std::vector<std::string>& SectionTable::columns() {
    static const std::vector<std::string> names = {
        "#",       "distance m", "kind",     "layer",       "start",          "end", "material",
        "size mm", "centre m",   "ground m", "top depth m", "bottom depth m", "note"};
    return names;
}

std::vector<std::string> SectionTable::cells(const CrossSection& section, std::size_t i) {
    const CrossSection::Row& r = section.rows[i];
    return {std::to_string(i + 1),
            fixed(r.distance, 2),
            UtilityKinds[r.kind].code,
            UtilityKinds[r.kind].layerName,
            r.startNumber,
            r.endNumber,
            r.material,
            sizeText(section, i),
            fixed(r.centre, 3),
            fixed(r.ground, 3),
            fixed(r.depthTop, 2),
            fixed(r.depthBottom, 2),
            contactText(r)};
}

void SectionTable::print(const CrossSection& section, std::ostream& out) {
    const char* p = "section\t";
    out << p << "line\t" << fixed(section.ax, 3) << ',' << fixed(section.ay, 3) << '\t'
        << fixed(section.bx, 3) << ',' << fixed(section.by, 3) << "\tlength " << fixed(section.length, 2)
        << " m\n";
    if (!section.message.empty()) {
        out << p << "empty\t" << section.message << std::endl;
        return;
    }
    out << p;
    for (std::size_t c = 0; c < columns().size(); ++c)
        out << (c ? "\t" : "") << columns()[c];
    out << '\n';
    for (std::size_t i = 0; i < section.rows.size(); ++i) {
        out << p;
        std::vector<std::string> values = cells(section, i);
        for (std::size_t c = 0; c < values.size(); ++c)
            out << (c ? "\t" : "") << gbkToUtf8(values[c]);
        out << '\n';
    }
    if (section.rows.empty())
        out << p << "none\tno pipe under the line\n";
    for (const CrossSection::Clearance& c : section.clearances)
        out << p << "too close\t" << c.first + 1 << '\t' << c.second + 1 << '\t'
            << UtilityKinds[section.rows[c.first].kind].code << '-'
            << UtilityKinds[section.rows[c.second].kind].code << "\tclear " << fixed(c.gap, 2) << " m\tneeds "
            << fixed(c.required, 2) << " m\n";
    out.flush();
}

bool SectionTable::writeCsv(const CrossSection& section, const std::string& path, std::string& error) {
    std::ofstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    file << "row,distance_m,kind,layer,gid,start_point,end_point,material,size_mm,x,y,centre_m,ground_m,"
            "top_depth_m,bottom_depth_m,contact,too_close_to\n";
    for (std::size_t i = 0; i < section.rows.size(); ++i) {
        const CrossSection::Row& r = section.rows[i];
        file << i + 1 << ',' << fixed(r.distance, 3) << ',' << UtilityKinds[r.kind].code << ','
             << csvField(gbkToUtf8(UtilityKinds[r.kind].layerName)) << ',' << csvField(gbkToUtf8(r.gid))
             << ',' << csvField(gbkToUtf8(r.startNumber)) << ',' << csvField(gbkToUtf8(r.endNumber)) << ','
             << csvField(gbkToUtf8(r.material)) << ',' << sizeText(section, i) << ',' << fixed(r.x, 3) << ','
             << fixed(r.y, 3) << ',' << fixed(r.centre, 3) << ',' << fixed(r.ground, 3) << ','
             << fixed(r.depthTop, 3) << ',' << fixed(r.depthBottom, 3) << ',' << csvField(contactText(r))
             << ',' << tooCloseTo(section, i) << '\n';
    }
    file.close();
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
