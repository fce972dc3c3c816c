#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_input.h"

namespace fuzz {

void fail(const char* invariant) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", invariant);
    std::abort();
}

}  // namespace fuzz
