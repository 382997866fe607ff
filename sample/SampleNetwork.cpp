#include "sample/SampleNetwork.h"

#include <algorithm>
#include <cmath>

namespace {

// How deep a point's own record says it lies, by what stands there.
enum class Depth { Pipe, Well, Grate, HandHole, Surface };

struct Equipment {
    const char* facility; // 附属设施; empty for a plain survey point on the line
    int weight;
    Depth depth;
};

// How one utility kind is laid in a street.
struct KindPlan {
    const char* code;
    double offset; // from the street centre line, metres (the same in both directions)
    double depth;  // burial depth of the pipe at the district's shallow corner
    double fall;   // extra depth toward the far corner: drainage runs by gravity
    const char* mainSection;
    const char* branchSection;
    const char* material;
    bool industrial; // laid only in the industrial quarter
    bool fittings;   // surveyed with tees, crosses and elbows
    bool cross;      // has a cross category; otherwise crossings are two staggered tees
    bool elbow;      // has an elbow category; otherwise a turn is a plain turning point
    const char* junctionFacility;
    double spacing; // survey points along a straight run
    std::vector<Equipment> equipment;
};

const std::vector<KindPlan>& plans() {
    const std::vector<Equipment> cable = {{"检修井", 1, Depth::Well},   {"人孔", 2, Depth::Well},
                                          {"手孔", 3, Depth::HandHole}, {"接线箱", 1, Depth::Surface},
                                          {"上杆", 1, Depth::Surface},  {"", 1, Depth::Pipe}};
    // clang-format off
    // code offset depth fall  main section  branch   material       ind.   fit.   cross  elbow  junction  spacing
    static const std::vector<KindPlan> p = {
        {"PS",  4.0, 2.8, 1.5, "1800X1500", "1000", "钢筋混凝土", false, true,  true,  false, "检修井", 40,
         {{"检修井", 3, Depth::Well}, {"雨篦", 2, Depth::Grate}, {"", 1, Depth::Pipe}}},
        {"YS",  1.5, 2.0, 1.5, "1200",      "600",  "钢筋混凝土", false, true,  false, true,  "雨水井", 35,
         {{"雨水井", 3, Depth::Well}, {"雨篦", 3, Depth::Grate}, {"", 1, Depth::Pipe}}},
        {"WS", -1.5, 2.4, 1.5, "800",       "400",  "混凝土",     false, true,  false, true,  "检修井", 35,
         {{"污水检修井", 3, Depth::Well}, {"检修井", 2, Depth::Well}, {"污篦", 1, Depth::Grate}, {"", 1, Depth::Pipe}}},
        {"SY",  9.0, 1.6, 0.0, "300",       "200",  "钢",         true,  true,  false, true,  "",       50,
         {{"阀门", 1, Depth::Pipe}, {"", 3, Depth::Pipe}}},
        {"JS", -6.0, 1.3, 0.0, "600",       "300",  "球墨铸铁",   false, true,  true,  true,  "",       35,
         {{"阀门", 2, Depth::Pipe}, {"阀门井", 2, Depth::Well}, {"检修井", 1, Depth::Well}, {"排污阀", 1, Depth::Pipe},
          {"水表", 1, Depth::Pipe}, {"消防栓", 2, Depth::Surface}, {"", 2, Depth::Pipe}}},
        {"RS", -8.0, 1.8, 0.0, "500",       "300",  "钢",         false, true,  false, true,  "",       45,
         {{"检修井", 2, Depth::Well}, {"", 2, Depth::Pipe}}},
        {"TR",  7.0, 1.1, 0.0, "315",       "160",  "PE",         false, true,  false, true,  "",       45,
         {{"阀门井", 2, Depth::Well}, {"调压箱", 1, Depth::Surface}, {"", 3, Depth::Pipe}}},
        {"YG", -10.0, 1.4, 0.0, "150",      "100",  "不锈钢",     true,  true,  false, true,  "",       50,
         {{"", 1, Depth::Pipe}}},
        {"QG", -11.0, 1.4, 0.0, "100",      "80",   "不锈钢",     true,  true,  false, true,  "",       50,
         {{"", 1, Depth::Pipe}}},
        {"GD", 12.0, 1.0, 0.0, "1000X800",  "600X400", "铜",      false, false, false, false, "检修井", 40,
         {{"检修井", 3, Depth::Well}, {"控制柜", 1, Depth::Surface}, {"上杆", 1, Depth::Surface}, {"", 1, Depth::Pipe}}},
        {"LD", 13.5, 0.7, 0.0, "100",       "80",   "铜",         false, false, false, false, "检修井", 30,
         {{"路灯", 6, Depth::Surface}, {"检修井", 1, Depth::Well}, {"上杆", 1, Depth::Surface}}},
        {"DX", -12.5, 0.9, 0.0, "800X500",  "400X300", "光纤",    false, false, false, false, "人孔",   40, cable},
        {"DS", -13.5, 0.8, 0.0, "200",      "110",  "光纤",       false, false, false, false, "人孔",   40, cable},
        {"YD", -14.5, 0.9, 0.0, "400X300",  "110",  "光纤",       false, false, false, false, "人孔",   40,
         {{"检修井", 1, Depth::Well}, {"人孔", 2, Depth::Well}, {"手孔", 3, Depth::HandHole}, {"", 1, Depth::Pipe}}},
        {"JY", 14.5, 1.5, 0.0, "300",       "150",  "光纤",       false, false, false, false, "人孔",   40, cable},
    };
    // clang-format on
    return p;
}

// Counter-based random numbers: the same seed and stream give the same values on every
// platform, unlike the standard distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform(double lo, double hi) {
        return lo + (hi - lo) * ((next() >> 11) * (1.0 / 9007199254740992.0));
    }

private:
    std::uint64_t state_;
};

double round(double v, double step) {
    return std::round(v / step) * step;
}

// The district's origin: a real place in the CGCS2000 3-degree Gauss-Kruger zone of 114 E.
const double kOriginX = 530000.0, kOriginY = 3384000.0;
const double kBlock = 120.0; // street spacing
const double kStagger = 2.5; // distance between the two tees that replace a cross
const double kMargin = 30.0; // extent beyond the outermost points

struct Grid {
    int n = 0;
    double scale = 1.0;         // block size against kBlock
    std::vector<double> xs, ys; // street centre lines
    bool main(int index) const { return SampleNetwork::mainStreet(static_cast<std::size_t>(index)); }
};

class KindBuilder {
public:
    KindBuilder(const KindPlan& plan, const Grid& grid, double baseZ, std::uint32_t seed, SampleKindRows& out)
        : plan_(plan), grid_(grid), baseZ_(baseZ),
          random_(seed * 131u + static_cast<std::uint32_t>(plan.code[0]) * 7u +
                  static_cast<std::uint32_t>(plan.code[1])),
          out_(out) {
        for (const Equipment& e : plan.equipment)
            for (int k = 0; k < e.weight; ++k)
                sequence_.push_back(&e);
        // A fixed shuffle: every kind of equipment turns up within one pass of the sequence.
        for (size_t i = sequence_.size(); i > 1; --i)
            std::swap(sequence_[i - 1], sequence_[random_.next() % i]);
    }

    void build() {
        const int last = plan_.industrial ? grid_.n / 2 : grid_.n - 1;
        n_ = last + 1;
        nodes_.assign(static_cast<size_t>(n_) * n_, Node{});
        for (int j = 0; j < n_; ++j)
            for (int i = 0; i < n_; ++i)
                makeNode(i, j);
        for (int j = 0; j < n_; ++j)
            for (int i = 0; i < n_; ++i) {
                if (i + 1 < n_)
                    run(node(i, j).east, node(i + 1, j).west, grid_.main(j));
                if (j + 1 < n_)
                    run(node(i, j).north, node(i, j + 1).south, grid_.main(i));
            }
    }

private:
    struct Node {
        int west = -1, east = -1, south = -1, north = -1; // point the run in that direction starts from
    };
    struct Spot {
        double x, y, pipeDepth;
    };

    Node& node(int i, int j) { return nodes_[static_cast<size_t>(j) * n_ + i]; }

    double pipeDepth(double x, double y) {
        const double w = grid_.xs.back() - grid_.xs.front() + 1.0,
                     h = grid_.ys.back() - grid_.ys.front() + 1.0;
        const double across = ((x - grid_.xs.front()) + (y - grid_.ys.front())) / (w + h);
        const double jitter = plan_.fall > 0 ? 0.0 : random_.uniform(-0.1, 0.1);
        return round(plan_.depth + plan_.fall * across + jitter, 0.01);
    }

    double recordDepth(Depth d, double pipe) {
        switch (d) {
        case Depth::Well:
            return round(pipe + 0.3, 0.01);
        case Depth::Grate:
            return 1.0;
        case Depth::HandHole:
            return round(std::min(pipe + 0.2, 1.2), 0.01);
        case Depth::Surface:
            return 0.0;
        case Depth::Pipe:
            break;
        }
        return pipe;
    }

    int addPoint(double x, double y, double depth, const char* nature, const char* facility) {
        SamplePointRow row;
        const std::string n = std::to_string(out_.points.size() + 1);
        row.gid = std::string(plan_.code) + "P" + n;
        row.number = std::string(plan_.code) + n;
        row.x = round(x, 0.001);
        row.y = round(y, 0.001);
        row.ground = round(
            baseZ_ + 1.2 * std::sin(x / 350.0) * std::cos(y / 420.0) + random_.uniform(-0.05, 0.05), 0.01);
        row.depth = depth;
        row.nature = nature;
        row.facility = facility;
        spots_.push_back({row.x, row.y, 0});
        out_.points.push_back(std::move(row));
        return static_cast<int>(out_.points.size()) - 1;
    }

    void makeNode(int i, int j) {
        const double offset = plan_.offset * std::max(1.0, grid_.scale);
        const double x = grid_.xs[i] + offset, y = grid_.ys[j] + offset;
        const int ways = (i > 0) + (i + 1 < n_) + (j > 0) + (j + 1 < n_);
        const double pipe = pipeDepth(x, y);
        const char* facility = plan_.junctionFacility;
        const double depth = *facility ? round(pipe + 0.3, 0.01) : pipe;
        Node& nd = node(i, j);
        const char* nature;
        if (!plan_.fittings)
            nature = ways == 2 ? "转折点" : "分支点";
        else if (ways == 2)
            nature = plan_.elbow ? "弯头" : "转折点";
        else if (ways == 3)
            nature = "三通";
        else if (plan_.cross)
            nature = "四通";
        else {
            // No cross fitting in this kind: the branch from the north joins the main at one
            // tee, the branch from the south a few metres on at a second.
            const int a = addPoint(x, y, depth, "三通", facility);
            const int b = addPoint(x + kStagger, y, depth, "三通", facility);
            spots_[a].pipeDepth = spots_[b].pipeDepth = pipe;
            line(a, b, grid_.main(j));
            nd = {a, b, b, a};
            return;
        }
        const int p = addPoint(x, y, depth, nature, facility);
        spots_[p].pipeDepth = pipe;
        nd = {p, p, p, p};
    }

    // The survey points of one straight run between two junction points, and its segments.
    void run(int from, int to, bool mainStreet) {
        const Spot a = spots_[from], b = spots_[to];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        const int inner =
            std::max(0, static_cast<int>(std::lround(length / (plan_.spacing * grid_.scale))) - 1);
        int previous = from;
        for (int k = 1; k <= inner; ++k) {
            const double t = (k + random_.uniform(-0.15, 0.15)) / (inner + 1);
            const double x = a.x + (b.x - a.x) * t, y = a.y + (b.y - a.y) * t;
            const double pipe =
                plan_.fall > 0 ? round(a.pipeDepth + (b.pipeDepth - a.pipeDepth) * t, 0.01) : pipeDepth(x, y);
            const Equipment& e = *sequence_[counter_++ % sequence_.size()];
            const int p = addPoint(x, y, recordDepth(e.depth, pipe), "直线点", e.facility);
            spots_[p].pipeDepth = pipe;
            line(previous, p, mainStreet);
            previous = p;
        }
        line(previous, to, mainStreet);
    }

    void line(int from, int to, bool mainStreet) {
        // Drainage is surveyed in the direction it flows: from the shallow end down.
        if (plan_.fall > 0 && spots_[from].pipeDepth > spots_[to].pipeDepth)
            std::swap(from, to);
        SampleLineRow row;
        row.gid = std::string(plan_.code) + "L" + std::to_string(out_.lines.size() + 1);
        row.material = plan_.material;
        row.start = out_.points[from].number;
        row.end = out_.points[to].number;
        row.startDepth = spots_[from].pipeDepth;
        row.endDepth = spots_[to].pipeDepth;
        row.section = mainStreet ? plan_.mainSection : plan_.branchSection;
        out_.lines.push_back(std::move(row));
    }

    const KindPlan& plan_;
    const Grid& grid_;
    const double baseZ_;
    Random random_;
    SampleKindRows& out_;
    std::vector<const Equipment*> sequence_;
    size_t counter_ = 0;
    int n_ = 0;
    std::vector<Node> nodes_;
    std::vector<Spot> spots_;
};

// Line rows a grid of n by n junctions gives, near enough to choose the grid size.
double estimate(int n) {
    double total = 0;
    for (const KindPlan& p : plans()) {
        const int m = p.industrial ? n / 2 + 1 : n;
        const double runs = 2.0 * m * (m - 1);
        total += runs * std::max(1.0, std::round(kBlock / p.spacing)) +
                 (p.fittings && !p.cross ? (m - 2) * (m - 2) : 0);
    }
    return total;
}

} // namespace

SampleNetwork SampleNetwork::generate(const SampleOptions& options) {
    int n = 5;
    while (estimate(n) < static_cast<double>(options.segments))
        ++n;
    for (;; ++n) {
        SampleNetwork net;
        net.baseZ = 21.5;
        Random random(options.seed);
        Grid grid;
        grid.n = n;
        const double block = options.size > 0 ? options.size / (n - 1) : kBlock;
        grid.scale = block / kBlock;
        for (int i = 0; i < n; ++i) {
            grid.xs.push_back(kOriginX + i * block + random.uniform(-10, 10) * grid.scale);
            grid.ys.push_back(kOriginY + i * block + random.uniform(-10, 10) * grid.scale);
        }
        for (const KindPlan& plan : plans()) {
            net.kinds.push_back(SampleKindRows{plan.code, {}, {}});
            KindBuilder(plan, grid, net.baseZ, options.seed, net.kinds.back()).build();
        }
        if (net.segmentCount() < options.segments)
            continue;
        net.xmin = net.ymin = 1e300;
        net.xmax = net.ymax = -1e300;
        for (const SampleKindRows& kind : net.kinds)
            for (const SamplePointRow& p : kind.points) {
                net.xmin = std::min(net.xmin, p.x);
                net.ymin = std::min(net.ymin, p.y);
                net.xmax = std::max(net.xmax, p.x);
                net.ymax = std::max(net.ymax, p.y);
            }
        const double margin = kMargin * std::min(1.0, grid.scale);
        net.xmin = std::floor(net.xmin - margin);
        net.ymin = std::floor(net.ymin - margin);
        net.xmax = std::ceil(net.xmax + margin);
        net.ymax = std::ceil(net.ymax + margin);
        net.streetXs = grid.xs;
        net.streetYs = grid.ys;
        net.streetScale = std::max(1.0, grid.scale);
        return net;
    }
}

std::size_t SampleNetwork::segmentCount() const {
    std::size_t n = 0;
    for (const SampleKindRows& k : kinds)
        n += k.lines.size();
    return n;
}

std::size_t SampleNetwork::pointCount() const {
    std::size_t n = 0;
    for (const SampleKindRows& k : kinds)
        n += k.points.size();
    return n;
}
