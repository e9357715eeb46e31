// SPDX-License-Identifier: MIT
// Writes the fuzzers' seeds into the folders given (objects, archives, mesh lists): the files
// the tests make, well-formed and broken.
#include <fstream>
#include <iostream>
#include <string>

#include "sims_files.h"

int main(int argc, char** argv) {
    using namespace brambleton::testing;
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
    write(iff + "/page.iff", "<!DOCTYPE html><html></html>");
    const std::string archive =
        farFile({{"a.iff", object}, {"b.iff", tiles}, {"c.flr", floor}, {"d.txt", "x"}});
    write(far + "/archive.far", archive);
    write(far + "/cut.far", archive.substr(0, archive.size() - 20));
    write(far + "/zip.far", std::string("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10));
    write(cmx + "/body.cmx",
          cmxFile("b001fafit_x", {"xskin-b001fafit_x-PELVIS-BODY", "xskin-x-HAND"}));
    write(cmx + "/two.cmx",
          "version "
          "300\n0\n2\nsuitA\n0\n0\n1\nPELVIS\nmeshA\n0\n0\n0\nsuitB\n0\n0\n1\nHEAD\nmeshB\n0\n0\n0"
          "\n");
    return 0;
}
