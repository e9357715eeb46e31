// SPDX-License-Identifier: MIT
// Writes the fuzzers' seeds below the folder given, in a folder for each fuzzer the table of
// file types names (CORPUS/iff, CORPUS/far, ...): the files the tests make, well-formed and
// broken, each hostile one named by what is wrong with it.
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "content/file_kinds.h"
#include "hostile_files.h"
#include "sims_files.h"

namespace {

// "a chunk running past the end" -> "a-chunk-running-past-the-end"
std::string fileName(const std::string& why) {
    std::string out;
    for (const char c : why) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            out += c;
        } else if (!out.empty() && out.back() != '-') {
            out += '-';
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace brambleton::testing;
    using brambleton::content::kCmx;
    using brambleton::content::kFarFaults;
    using brambleton::content::kIffFaults;
    if (argc != 2) {
        std::cerr << "usage: format_seeds CORPUS\n";
        return 2;
    }
    const auto write = [](const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    };
    // The folder of the fuzzer that reads files ending in `extension`.
    const auto folderFor = [root = std::string(argv[1])](std::string_view extension) {
        const auto* type = brambleton::content::typeOf(extension);
        const std::string folder = root + "/" + std::string(type ? type->fuzzer : "");
        std::filesystem::create_directories(folder);
        return folder;
    };
    const std::string iff = folderFor("iff");
    const std::string far = folderFor("far");
    const std::string cmx = folderFor("cmx");
    const std::string object = objectFile({0x1A2B3C4D}, 200);
    const std::string tiles = objectFile({1, 2, 3}, 100);
    const std::string floor = iffFile({iffChunk("FBMP", 1, "BM..")}, false);
    write(iff + "/object.iff", object);
    write(iff + "/tiles.iff", tiles);
    write(folderFor("flr") + "/floor.flr", floor);
    write(iff + "/cut.iff", object.substr(0, object.size() / 2));
    const std::string archive =
        farFile({{"a.iff", object}, {"b.iff", tiles}, {"c.flr", floor}, {"d.txt", "x"}});
    write(far + "/archive.far", archive);
    write(far + "/cut.far", archive.substr(0, archive.size() - 20));
    write(far + "/names.far", farFile({{"../../GameData/Behavior.iff", "<html>"},
                                       {"<script>alert(1)</script>.iff", "<html>"},
                                       {"/etc/passwd.iff", "<html>"}}));
    for (const auto& c : kIffFaults) write(iff + "/" + fileName(c.why) + ".iff", c.bytes);
    for (const auto& c : kFarFaults) write(far + "/" + fileName(c.why) + ".far", c.bytes);
    for (const auto& c : kCmx) write(cmx + "/" + fileName(c.why) + ".cmx", c.text);
    return 0;
}
