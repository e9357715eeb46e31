// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/exceptions.h>
#include <yaml-cpp/parser.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "locations/launchers/lutris_file.h"

namespace brambleton::launchers {
namespace {

// Lutris writes its files with PyYAML's block style, three levels deep at most; a flow
// collection or an indentation this deep is not a Lutris file.
constexpr int kDeepestNesting = 32;

// Whether `text` nests flow collections ("[[[", "{{") or indentation deeper than
// kDeepestNesting. Brackets inside quotes and comments are counted too: a deep text in a
// string is no Lutris file either.
bool nestsTooDeep(std::string_view text) {
    int flow = 0;
    std::vector<std::size_t> indents;  // the indentations of the open block levels
    for (std::size_t start = 0; start <= text.size();) {
        const auto end = std::min(text.find('\n', start), text.size());
        const auto line = text.substr(start, end - start);
        start = end + 1;
        const auto first = line.find_first_not_of(' ');
        if (first == std::string_view::npos || line[first] == '#') continue;
        while (!indents.empty() && indents.back() >= first) indents.pop_back();
        indents.push_back(first);
        if (indents.size() > kDeepestNesting) return true;
        for (const char c : line) {
            if (c == '[' || c == '{') {
                if (++flow > kDeepestNesting) return true;
            } else if ((c == ']' || c == '}') && flow > 0) {
                --flow;
            }
        }
    }
    return false;
}

// Follows the parser's events down to the top-level map's `game`, then its `prefix`.
class PrefixFinder : public YAML::EventHandler {
  public:
    std::string prefix;

    void OnDocumentStart(const YAML::Mark&) override {}
    void OnDocumentEnd() override {}
    void OnNull(const YAML::Mark&, YAML::anchor_t) override { value({}); }
    void OnAlias(const YAML::Mark&, YAML::anchor_t) override { value({}); }
    void OnScalar(const YAML::Mark&, const std::string&, YAML::anchor_t,
                  const std::string& text) override {
        value(text);
    }
    void OnSequenceStart(const YAML::Mark&, const std::string&, YAML::anchor_t,
                         YAML::EmitterStyle::value) override {
        open(false);
    }
    void OnSequenceEnd() override { close(); }
    void OnMapStart(const YAML::Mark&, const std::string&, YAML::anchor_t,
                    YAML::EmitterStyle::value) override {
        open(true);
    }
    void OnMapEnd() override { close(); }

  private:
    struct Level {
        bool map;
        bool atKey = true;  // the next node of a map is a key
        std::string key;    // the key of the value being read
        bool onPath;        // this collection is the document, or its `game`
    };

    void open(bool map) {
        const bool onPath = levels_.empty() ||
                            (levels_.size() == 1 && levels_.back().map && levels_.back().onPath &&
                             !levels_.back().atKey && levels_.back().key == "game");
        levels_.push_back({map, true, {}, onPath && map});
    }
    void close() {
        levels_.pop_back();
        value({}, false);
    }
    void value(const std::string& text, bool scalar = true) {
        if (levels_.empty()) return;
        Level& level = levels_.back();
        if (!level.map) return;
        if (level.atKey) {
            level.key = scalar ? text : std::string();
            level.atKey = false;
            return;
        }
        if (scalar && level.onPath && levels_.size() == 2 && level.key == "prefix") prefix = text;
        level.atKey = true;
    }

    std::vector<Level> levels_;
};

}  // namespace

LutrisGame readLutrisGame(std::string_view text) {
    if (nestsTooDeep(text)) return {{}, "nests deeper than a Lutris file does"};
    std::istringstream in{std::string(text)};
    PrefixFinder finder;
    try {
        YAML::Parser parser(in);
        parser.HandleNextDocument(finder);
    } catch (const YAML::Exception&) {
        return {{}, "is not valid YAML"};
    }
    return {finder.prefix, {}};
}

}  // namespace brambleton::launchers
