#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "soak_size.h"

namespace stress {

SoakSize& Soak() {
    static SoakSize size;
    return size;
}

}  // namespace stress

namespace {

bool ReadCount(std::string_view arg, std::string_view flag, int& count) {
    if (arg.substr(0, flag.size()) != flag) return false;
    count = std::atoi(std::string(arg.substr(flag.size())).c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    stress::SoakSize& soak = stress::Soak();
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--full") {
            soak = {10000, 1000, 1000, 1000};
        } else if (!ReadCount(arg, "--conversions=", soak.conversions) &&
                   !ReadCount(arg, "--refusals=", soak.refusals) && !ReadCount(arg, "--hovers=", soak.hovers) &&
                   !ReadCount(arg, "--queries=", soak.queries)) {
            std::fprintf(stderr,
                         "unknown option %s\n"
                         "options: --full (10000 conversions, 1000 refusals, 1000 hovers, 1000 accessibility\n"
                         "         query rounds; default 500, 50, 50, 100),\n"
                         "         --conversions=N --refusals=N --hovers=N --queries=N, and GoogleTest's own\n",
                         argv[i]);
            return 2;
        }
    }
    return RUN_ALL_TESTS();
}
