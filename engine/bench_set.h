#pragma once
// A fixed set of positions from engine games, for timing the searches and as
// their signature: the positions evaluated over the whole set change whenever
// the search's move choice, ordering or pruning does.

#include <array>
#include <cstdint>
#include <string_view>

#include "model/board.h"

namespace qv {

// The two searches of the bench: the default suggestion, and full width at a
// depth that keeps the whole bench near a second.
constexpr int32_t kBenchDepth = 11;
constexpr int32_t kBenchWidth = 3;
constexpr int32_t kBenchFullWidthDepth = 8;

struct BenchPosition {
    std::string_view name;
    // Rows from the top, each from column 1 to 8, '/' between rows:
    // '.' empty, 'r' Red, 'b' Blue.
    std::string_view board;
};

constexpr std::array<BenchPosition, 16> kBenchPositions{{
    {"opening, 2 pieces",
     "....r.../......../......../.....b../......../......../......../........"},
    {"opening, 5 pieces",
     "..b...../......../......r./.r....../......../......../....b.../.....b.."},
    {"opening, 10 pieces",
     "..b...../...b.b../b......./......../......r./.r.....r/..b.r.r./........"},
    {"middle game, 17 pieces",
     "....r.../..rb..../..r.b.../bb...bb./.....rr./bb.r..../..b...../...r.r.."},
    {"middle game, 24 pieces",
     "...rbr../......b./b.bbrr.r/b.r...r./......bb/b...rr../.brr.b../b..r...."},
    {"middle game, 24 pieces, 36-61",
     "..b...../...r...r/b.r.bbr./br.....r/b.b..rr./rb.b.r../..r.b.b./...r.b.."},
    {"middle game, 30 pieces, 79-101",
     "..b.b.../...b.b../bb.r.bb./bb.r.br./r...rrr./.rrb.rbr/..b.r.r./..r.br.."},
    {"late, 35 pieces, 102-120",
     "..rrr.../..rb.rr./bbrbb.../bbb.bbb./.rr.brr./bbbrbr../..br.b../..rr.r.."},
    {"near 150, 36 pieces, 138-120",
     "..rrr.../..rb.rr./bbrbb.../bbb.bbb./.rr.brr./bbbrbr.r/..br.b../..rr.r.."},
    {"near 150, 32 pieces, 120-119",
     "..b.b.../...b.b../bb.rbbb./bb.r.br./r...rrr./.rrb.rbr/..b.rrr./..r.br.."},
    {"near 150, 42 pieces, 146-107",
     ".b.rbrr./.rb..bb./b.bbrrrr/brr...r./...r..bb/b..brrbb/rbrr.bbb/brrr.rb."},
    {"near 150, 46 pieces, 113-140",
     ".b..bb../rbrbrr.r/..b.rbbb/rrr.rr.r/.bbbbbrb/.rbr.bbb/brr.rrbb/rb.rrr.."},
    {"near 150, 48 pieces, 148-124",
     "b.brb.bb/.b.bbrr./rbbr.rr./brbrrr.b/rbbrbrrb/rb.br..r/bb.r.rbr/b.br.r.r"},
    {"nearly full, 51 pieces, 278-289",
     ".rbbbr.b/.rbbb.bb/rbrb.rrr/brrbrbr./.rbr.rbr/rrbbbbbb/.b.rbrbr/..rr.brr"},
    {"nearly full, 54 pieces, 343-351",
     ".bbrrbbb/rrbrbbr./.bbrrbrb/brbbrbrb/rrbr.rbr/rrbbrbrb/br.brrr./..rrbb.."},
    {"nearly full, 57 pieces, 428-435",
     "rbbrbrb./r.rrbbbb/rrbrrbb./br.brrrb/brbbrbbr/rrrbbrrb/brrbrb../br.brrbb"},
}};

// The position as a board.
Board BenchBoard(const BenchPosition& position);

}  // namespace qv
