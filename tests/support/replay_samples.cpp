// SPDX-License-Identifier: MIT
// Runs a fuzz target's one input at a time, without libFuzzer, over every file below the
// folders given (in name order), so that each sample a fuzzer ever found, and each hostile
// file kept beside them, runs in the normal test pass and under its sanitizers. A sample that
// breaks a reader aborts or crashes this program; the last name printed is the one.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> samples;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        if (!fs::is_directory(argv[i], ec)) {
            std::fprintf(stderr, "no folder of samples %s\n", argv[i]);
            return 2;
        }
        for (const auto& entry : fs::recursive_directory_iterator(argv[i])) {
            if (entry.is_regular_file()) samples.push_back(entry.path());
        }
    }
    std::sort(samples.begin(), samples.end());
    for (const auto& sample : samples) {
        std::printf("%s\n", sample.string().c_str());
        std::fflush(stdout);
        std::ifstream in(sample, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu samples read safely\n", samples.size());
    return 0;
}
