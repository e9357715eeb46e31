// SPDX-License-Identifier: MIT
#include "content/formats/cmx_reader.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "common/ascii.h"

namespace brambleton::content {
namespace {

constexpr std::size_t kMostRead = std::size_t{1} << 20;
// More suits or skins than this are not a skin's file.
constexpr long kMostCounted = 10000;

// The file's lines, trimmed, without comments and blank lines.
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {}

    std::optional<std::string_view> next() {
        while (at_ < text_.size()) {
            const std::size_t end = std::min(text_.find('\n', at_), text_.size());
            std::string_view line = text_.substr(at_, end - at_);
            at_ = end + 1;
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ' ||
                                     line.back() == '\t' || line.back() == '\0')) {
                line.remove_suffix(1);
            }
            while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
                line.remove_prefix(1);
            }
            if (line.empty() || line.starts_with("//")) continue;
            return line;
        }
        return std::nullopt;
    }

    // The next line as a count from 0 to kMostCounted; none when it is not one.
    std::optional<long> count() {
        const auto line = next();
        if (!line || line->empty() || line->size() > 6) return std::nullopt;
        long n = 0;
        for (const char c : *line) {
            if (c < '0' || c > '9') return std::nullopt;
            n = n * 10 + (c - '0');
        }
        if (n > kMostCounted) return std::nullopt;
        return n;
    }

    std::optional<std::string_view> peek() {
        const std::size_t keep = at_;
        const auto line = next();
        at_ = keep;
        return line;
    }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
};

bool isCount(std::string_view line) {
    return !line.empty() && line.size() <= 6 &&
           std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::vector<std::string> readCmxMeshes(ByteSource& bytes) {
    return readCmx(bytes).meshes;
}

CmxSummary readCmx(ByteSource& bytes) {
    std::string text(static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), kMostRead)),
                     '\0');
    text.resize(bytes.read(0, text.data(), text.size()));
    CmxSummary summary;
    auto& meshes = summary.meshes;
    Lines lines(text);
    const auto version = lines.next();
    if (!version || !ascii::startsWithNoCase(*version, "version")) return summary;
    const auto skeletons = lines.count();
    if (skeletons != 0) return summary;  // a skeleton's file, or not a CMX at all
    auto suits = lines.count();
    if (!suits) return summary;
    for (long suit = 0; suit < *suits; ++suit) {
        const auto name = lines.next();
        const auto type = lines.count();
        const auto unknown = lines.count();
        const auto skins = lines.count();
        if (!name) return summary;
        summary.suits.emplace_back(*name);
        if (!type || !unknown || !skins) return summary;
        for (long skin = 0; skin < *skins; ++skin) {
            const auto bone = lines.next();
            const auto mesh = lines.next();
            const auto censor = lines.count();
            const auto flags = lines.count();
            if (!bone || !mesh || !censor || !flags) return summary;
            meshes.emplace_back(*mesh);
        }
        // The suit's props: a count, when the next line is one; props themselves are not
        // read, so a suit that has some ends the reading.
        const auto after = lines.peek();
        if (after && isCount(*after)) {
            if (lines.count() != 0) return summary;
        }
    }
    return summary;
}

}  // namespace brambleton::content
