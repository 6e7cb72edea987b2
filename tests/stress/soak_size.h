// How long the soak runs; the command line of the test program sets it.
#pragma once

namespace stress {

struct SoakSize {
    int conversions = 500;
    int refusals = 50;
    int hovers = 50;
};

SoakSize& Soak();

}  // namespace stress
