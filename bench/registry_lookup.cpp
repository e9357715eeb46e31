// SPDX-License-Identifier: MIT
// Times GetInstallPath on a prefix's system.reg, file read included, as the window does it
// at every category choice. Usage: registry_lookup SYSTEM_REG [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "locations/module1.h"
#include "locations/wine_registry.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: registry_lookup SYSTEM_REG [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
    brambleton::WineRegistry registry(argv[1]);
    double best = 1e9;
    double total = 0;
    std::string result;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        result = brambleton::Module1::GetInstallPath(registry);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
        total += took.count();
    }
    std::printf("%s: \"%s\"  best %.2f ms, mean %.2f ms over %d lookups\n", argv[1], result.c_str(),
                best, total / runs, runs);
    return 0;
}
