// How long the soak runs; the command line of the test program sets it.
#pragma once

namespace stress {

struct SoakSize {
    int conversions = 500;
    int refusals = 50;
    int hovers = 50;
    int queries = 100;  // rounds of accessible-object queries of every control
};

SoakSize& Soak();

}  // namespace stress
