#include "play/player_description.h"

#include <array>
#include <charconv>
#include <functional>
#include <set>
#include <vector>

#include "engine/potentials.h"
#include "play/levels.h"

namespace qv {

namespace {

// The strong search's knobs by name: reachable from the text form so that
// the match tool can tune them.
struct StrongKnob {
    const char* name;
    int32_t lo, hi;
    std::function<int32_t&(strong::Params&)> field;
};

const std::vector<StrongKnob>& StrongKnobs() {
    static const std::vector<StrongKnob> knobs = {
        {"corner1", 0, 256, [](strong::Params& p) -> int32_t& { return p.eval.corner[1]; }},
        {"corner2", 0, 256, [](strong::Params& p) -> int32_t& { return p.eval.corner[2]; }},
        {"corner3", 0, 256, [](strong::Params& p) -> int32_t& { return p.eval.corner[3]; }},
        {"tempo", 0, 1024, [](strong::Params& p) -> int32_t& { return p.eval.tempo; }},
        {"cashed", 0, 256, [](strong::Params& p) -> int32_t& { return p.eval.cashed; }},
        {"qwidth", 0, 64, [](strong::Params& p) -> int32_t& { return p.quiesceWidth; }},
        {"qdepth", 0, 64, [](strong::Params& p) -> int32_t& { return p.quiesceDepth; }},
        {"futility1", 0, 1000, [](strong::Params& p) -> int32_t& { return p.futility1; }},
        {"futility2", 0, 1000, [](strong::Params& p) -> int32_t& { return p.futility2; }},
        {"lmp1", 0, 64, [](strong::Params& p) -> int32_t& { return p.lateMoves1; }},
        {"lmp2", 0, 64, [](strong::Params& p) -> int32_t& { return p.lateMoves2; }},
        {"rfpdepth", 0, 64, [](strong::Params& p) -> int32_t& { return p.reverseDepth; }},
        {"rfpmargin", 0, 1000, [](strong::Params& p) -> int32_t& { return p.reverseMargin; }},
        {"ttfrom", 1, 65, [](strong::Params& p) -> int32_t& { return p.tableFrom; }},
        {"potdepth", 1, 65, [](strong::Params& p) -> int32_t& { return p.potentialsFrom; }},
        {"aspiration", 1, 1000, [](strong::Params& p) -> int32_t& { return p.aspiration; }},
        {"lmr", 0, 400, [](strong::Params& p) -> int32_t& { return p.lateReduction; }},
        {"null", 0, 6, [](strong::Params& p) -> int32_t& { return p.nullReduction; }},
        {"start", 1, 100, [](strong::Params& p) -> int32_t& { return p.startBelowPercent; }},
        {"depth", 1, 64, [](strong::Params& p) -> int32_t& { return p.maxDepth; }},
    };
    return knobs;
}

std::string Quoted(const std::string& text) {
    return "player '" + text + "': ";
}

// Decimal digits only (leading zeros allowed), within lo..hi.
int64_t Number(const std::string& text, const std::string& key, const std::string& value,
               int64_t lo, int64_t hi) {
    int64_t v = 0;
    const char* first = value.data();
    const char* last = first + value.size();
    const bool digits =
        !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
    const auto [end, ec] = std::from_chars(first, last, v);
    if (!digits || ec != std::errc() || end != last || v < lo || v > hi)
        throw PlayerSpecError(Quoted(text) + key + "=" + value + " is not a whole number in " +
                              std::to_string(lo) + ".." + std::to_string(hi));
    return v;
}

PotentialWeights Weights(const std::string& text, const std::string& value) {
    PotentialWeights w{};
    size_t start = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        const size_t slash = value.find('/', start);
        const bool lastItem = i + 1 == w.size();
        if (lastItem != (slash == std::string::npos))
            throw PlayerSpecError(Quoted(text) + "weights= takes 16 integers joined by '/'");
        std::string item = value.substr(start, lastItem ? std::string::npos : slash - start);
        start = slash + 1;
        const bool negative = !item.empty() && (item[0] == '-' || item[0] == '+');
        const std::string digits = negative ? item.substr(1) : item;
        int64_t v = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
            ec != std::errc() || end != digits.data() + digits.size() || v > INT32_MAX)
            throw PlayerSpecError(Quoted(text) + "weight '" + item + "' is not an integer");
        w[i] = static_cast<int32_t>(item[0] == '-' ? -v : v);
    }
    if (!PotentialsFinite(w))
        throw PlayerSpecError(Quoted(text) + "these weights give potentials that are not numbers");
    return w;
}

std::string WeightsText(const PotentialWeights& w) {
    std::string s;
    for (size_t i = 0; i < w.size(); ++i) s += (i ? "/" : "") + std::to_string(w[i]);
    return s;
}

struct Item {
    std::string key;
    std::string value;
    bool hasValue = false;
};

// "k=v,k,k=v": every item non-empty, every key once.
std::vector<Item> Items(const std::string& text, const std::string& rest) {
    std::vector<Item> items;
    std::set<std::string> seen;
    size_t start = 0;
    while (true) {
        const size_t comma = rest.find(',', start);
        const std::string item =
            rest.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.empty())
            throw PlayerSpecError(Quoted(text) + "an empty setting (a comma too many?)");
        const size_t eq = item.find('=');
        Item it{item.substr(0, eq), eq == std::string::npos ? "" : item.substr(eq + 1),
                eq != std::string::npos};
        if (!seen.insert(it.key).second)
            throw PlayerSpecError(Quoted(text) + "'" + it.key + "' is given twice");
        items.push_back(it);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

[[noreturn]] void Unknown(const std::string& text, const Item& item) {
    throw PlayerSpecError(Quoted(text) + "unknown setting '" + item.key +
                          (item.hasValue ? "=" + item.value : "") + "'");
}

void ReadClassic(const std::string& text, const std::vector<Item>& items, PlayerSpec& p) {
    bool depth = false, width = false, choose = false, margin = false;
    for (const Item& it : items) {
        const auto number = [&](int64_t lo, int64_t hi) {
            return static_cast<int32_t>(Number(text, it.key, it.value, lo, hi));
        };
        if (it.key == "full-width" && !it.hasValue) {
            p.fullWidth = true;
        } else if (!it.hasValue) {
            Unknown(text, it);
        } else if (it.key == "depth") {
            p.depth = number(1, kMaxSearchDepth);
            depth = true;
        } else if (it.key == "width") {
            p.width = number(1, 64);
            width = true;
        } else if (it.key == "choose") {
            p.choose = number(1, 64);
            choose = true;
        } else if (it.key == "margin") {
            p.margin = number(0, 1000);
            margin = true;
        } else if (it.key == "threads") {
            p.threads = number(1, 64);
        } else if (it.key == "weights") {
            p.weights = Weights(text, it.value);
        } else {
            Unknown(text, it);
        }
    }
    if (!depth) throw PlayerSpecError(Quoted(text) + "a classic player needs depth=D");
    if (margin && !choose)
        throw PlayerSpecError(Quoted(text) + "margin= is the range choose=K picks from: give both");
    if (width && p.fullWidth)
        throw PlayerSpecError(Quoted(text) +
                              "full-width searches every point: give width= or full-width");
}

void ReadStrong(const std::string& text, const std::vector<Item>& items, PlayerSpec& p) {
    bool movetime = false, nodes = false, clock = false;
    for (const Item& it : items) {
        if (!it.hasValue) Unknown(text, it);
        const auto number = [&](int64_t lo, int64_t hi) {
            return Number(text, it.key, it.value, lo, hi);
        };
        if (it.key == "movetime") {
            p.movetimeMs = static_cast<int32_t>(number(1, 600000));
            movetime = true;
        } else if (it.key == "nodes") {
            p.nodes = number(1, 1000000000000);
            nodes = true;
        } else if (it.key == "time-per-game") {
            p.timePerGameMs = static_cast<int32_t>(number(1, 86400000));
            clock = true;
        } else if (it.key == "table-mib") {
            p.tableMiB = static_cast<int32_t>(number(1, 4096));
        } else if (it.key == "threads") {
            p.threads = static_cast<int32_t>(number(1, 64));
        } else if (it.key == "weights") {
            p.weights = Weights(text, it.value);
        } else if (it.key == "selective") {
            p.strong.selective = number(0, 1) == 1;
        } else if (it.key == "nullstatic") {
            p.strong.nullStatic = number(0, 1) == 1;
        } else {
            bool known = false;
            for (const StrongKnob& k : StrongKnobs())
                if (it.key == k.name) {
                    k.field(p.strong) = static_cast<int32_t>(number(k.lo, k.hi));
                    known = true;
                }
            if (!known) Unknown(text, it);
        }
    }
    if (movetime + nodes + clock != 1)
        throw PlayerSpecError(Quoted(text) +
                              "a strong player needs movetime=MS, nodes=N or "
                              "time-per-game=MS, one of them");
}

}  // namespace

bool PlayerSpec::operator==(const PlayerSpec& o) const {
    return FormatPlayerSpec(*this) == FormatPlayerSpec(o);
}

const char* PlayerGrammar() {
    return "PLAYERS:\n"
           "  classic:depth=D[,width=W][,S...]  D 1..15, W 1..64 (default 3)\n"
           "  classic:depth=D,full-width[,S...] every empty point at every node\n"
           "  strong:movetime=MS[,S...]         thinking time, MS 1..600000\n"
           "  strong:nodes=N[,S...]             node budget, N 1..10^12\n"
           "  strong:time-per-game=MS[,S...]    a clock for the whole game, MS 1..86400000\n"
           "  potential[:weights=W]             the point of highest potential, no search\n"
           "  external:COMMAND                  a program speaking the engine protocol,\n"
           "                                    run with /bin/sh -c COMMAND\n"
           "  level:N                           one of the levels below, N 1..10\n"
           "  where S is threads=N (1..64), weights=W0/W1/.../W15 (16 integers, the\n"
           "  default 1/7/3/1/4/3/1/2/4/0/0/0/0/9/4/10), for classic players\n"
           "  choose=K,margin=M (K 1..64, M 0..1000: weigh the K best-ranked points,\n"
           "  each searched a ply shallower, and pick at random, the better ones more\n"
           "  often, among those within M points of the best; seeded, so a match's\n"
           "  --seed replays it) or, for strong players,\n"
           "  table-mib=M (1..4096, default 64) or a knob of the strong player's\n"
           "  evaluation (in 64ths of a point) and search: corner1=, corner2=,\n"
           "  corner3=, cashed= (0..256), tempo= (0..1024), aspiration= (1..1000),\n"
           "  lmr= (0..400), null= (0..6), selective= and nullstatic= (0 or 1),\n"
           "  start= (1..100, on a node budget), depth= (1..64, the last iteration),\n"
           "  qwidth=, qdepth=, lmp1=, lmp2= (0..64), futility1=,\n"
           "  futility2=, rfpmargin= (0..1000), rfpdepth= (0..64), ttfrom=,\n"
           "  potdepth= (1..65). Settings are separated by commas, each given once, in any\n"
           "  order; numbers are decimal digits.";
}

PlayerSpec DefaultPlayer() {
    return PlayerSpec{};
}

PlayerSpec ParsePlayerSpec(const std::string& text) {
    PlayerSpec p;
    const size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const bool hasRest = colon != std::string::npos;
    const std::string rest = hasRest ? text.substr(colon + 1) : "";
    if (kind == "external") {
        p.kind = PlayerKind::External;
        if (rest.find_first_not_of(" \t") == std::string::npos)
            throw PlayerSpecError(Quoted(text) + "external: needs the command to run");
        p.command = rest;
        return p;
    }
    if (kind == "level") {
        const bool digits = !rest.empty() && rest.size() <= 2 &&
                            rest.find_first_not_of("0123456789") == std::string::npos;
        const int32_t n = digits ? std::stoi(rest) : 0;
        if (n < 1 || n > kLevels)
            throw PlayerSpecError(Quoted(text) +
                                  "the levels are level:1 to level:" + std::to_string(kLevels));
        return ResolveLevel(n);
    }
    if (kind == "potential") {
        p.kind = PlayerKind::Potential;
        if (!hasRest) return p;
        for (const Item& it : Items(text, rest)) {
            if (it.key != "weights" || !it.hasValue) Unknown(text, it);
            p.weights = Weights(text, it.value);
        }
        return p;
    }
    if (kind != "classic" && kind != "strong")
        throw PlayerSpecError(Quoted(text) +
                              "expected classic:..., strong:..., potential, external:... or "
                              "level:N");
    if (!hasRest || rest.empty())
        throw PlayerSpecError(Quoted(text) + (kind == "classic" ? "a classic player needs depth=D"
                                                                : "a strong player needs "
                                                                  "movetime=MS, nodes=N or "
                                                                  "time-per-game=MS"));
    const std::vector<Item> items = Items(text, rest);
    if (kind == "classic") {
        p.kind = PlayerKind::Classic;
        ReadClassic(text, items, p);
    } else {
        p.kind = PlayerKind::Strong;
        ReadStrong(text, items, p);
    }
    return p;
}

std::string FormatPlayerSpec(const PlayerSpec& p) {
    const PlayerSpec d;
    std::string s;
    const auto add = [&s](const std::string& item) { s += (s.back() == ':' ? "" : ",") + item; };
    switch (p.kind) {
        case PlayerKind::Classic:
            s = "classic:depth=" + std::to_string(p.depth);
            add(p.fullWidth ? "full-width" : "width=" + std::to_string(p.width));
            if (p.choose > 0) {
                add("choose=" + std::to_string(p.choose));
                add("margin=" + std::to_string(p.margin));
            }
            if (p.threads != d.threads) add("threads=" + std::to_string(p.threads));
            if (p.weights != d.weights) add("weights=" + WeightsText(p.weights));
            return s;
        case PlayerKind::Strong: {
            s = "strong:";
            add(p.nodes > 0           ? "nodes=" + std::to_string(p.nodes)
                : p.timePerGameMs > 0 ? "time-per-game=" + std::to_string(p.timePerGameMs)
                                      : "movetime=" + std::to_string(p.movetimeMs));
            if (p.tableMiB != d.tableMiB) add("table-mib=" + std::to_string(p.tableMiB));
            if (p.threads != d.threads) add("threads=" + std::to_string(p.threads));
            strong::Params mine = p.strong, defaults = d.strong;
            for (const StrongKnob& k : StrongKnobs())
                if (k.field(mine) != k.field(defaults))
                    add(std::string(k.name) + "=" + std::to_string(k.field(mine)));
            if (mine.selective != defaults.selective)
                add(std::string("selective=") + (mine.selective ? "1" : "0"));
            if (mine.nullStatic != defaults.nullStatic)
                add(std::string("nullstatic=") + (mine.nullStatic ? "1" : "0"));
            if (p.weights != d.weights) add("weights=" + WeightsText(p.weights));
            return s;
        }
        case PlayerKind::Potential:
            return p.weights == d.weights ? "potential"
                                          : "potential:weights=" + WeightsText(p.weights);
        case PlayerKind::External:
            return "external:" + p.command;
    }
    return s;
}

PlayerSpec PlayerFromChoice(const SearchChoice& choice, const PotentialWeights& weights,
                            int32_t threads) {
    PlayerSpec p;
    p.weights = weights;
    p.threads = threads;
    if (choice.strong) {
        p.kind = PlayerKind::Strong;
        p.movetimeMs = choice.movetimeMs;
    } else {
        p.depth = choice.depth;
        p.width = choice.width;
        p.fullWidth = choice.fullWidth;
    }
    return p;
}

SearchRequest MakeSearchRequest(const PlayerSpec& p, const Board& position, int32_t colour,
                                int32_t lineEnd) {
    if (p.kind != PlayerKind::Classic && p.kind != PlayerKind::Strong)
        throw std::logic_error("only classic and strong players search");
    SearchRequest r;
    r.kind = p.kind == PlayerKind::Strong ? SearchKind::Strong : SearchKind::Classic;
    r.position = position;
    r.colour = colour;
    r.depth = p.depth;
    r.width = p.width;
    r.fullWidth = p.fullWidth;
    r.weights = p.weights;
    r.threads = p.threads;
    // The strong line has no fixed depth to end at.
    r.lineEnd = p.kind == PlayerKind::Classic ? lineEnd : 0;
    r.movetimeMs = p.movetimeMs;
    r.nodes = p.nodes;
    if (p.kind == PlayerKind::Strong && p.timePerGameMs > 0) r.timeLeftMs = p.timePerGameMs;
    r.tableMiB = p.tableMiB;
    r.strong = p.strong;
    return r;
}

}  // namespace qv
