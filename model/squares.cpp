#include "model/squares.h"

namespace qv {
namespace {

// Built by the compiler: nothing to do at start-up, and no guard on each use.
constinit const SquareTable kSquareTable = BuildSquareTable();

}  // namespace

const SquareTable& Squares() {
    return kSquareTable;
}

}  // namespace qv
