// SPDX-License-Identifier: MIT
// Writes the fuzzers' seeds into the folders given (objects, archives, mesh lists): the files
// the tests make, well-formed and broken, each hostile one named by what is wrong with it.
#include <cctype>
#include <fstream>
#include <iostream>
#include <string>

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
    if (argc != 4) {
        std::cerr << "usage: format_seeds IFF-FOLDER FAR-FOLDER CMX-FOLDER\n";
        return 2;
    }
    const auto write = [](const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    };
    const std::string iff = argv[1];
    const std::string far = argv[2];
    const std::string cmx = argv[3];
    const std::string object = objectFile({0x1A2B3C4D}, 200);
    const std::string tiles = objectFile({1, 2, 3}, 100);
    const std::string floor = iffFile({iffChunk("FBMP", 1, "BM..")}, false);
    write(iff + "/object.iff", object);
    write(iff + "/tiles.iff", tiles);
    write(iff + "/floor.flr", floor);
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
