// SPDX-License-Identifier: MIT
#include "locations/launchers/launcher.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <system_error>

#include "locations/module1.h"

namespace fs = std::filesystem;

namespace brambleton::launchers {
namespace {

std::string withSeparator(std::string path, char separator) {
    if (path.empty() || path.back() != separator) path += separator;
    return path;
}

// The same folder reached by two paths (a link such as ~/.steam/steam, a library listed
// twice) has one key.
std::string folderKey(const fs::path& folder) {
    std::error_code ec;
    const auto canonical = fs::canonical(folder, ec);
    return (ec ? folder.lexically_normal() : canonical).string();
}

// `text` cut to at most kLongestQuote bytes on a character boundary, "..." marking the cut.
constexpr std::size_t kLongestQuote = 1024;
std::string shortened(std::string text) {
    if (text.size() <= kLongestQuote) return text;
    std::size_t end = kLongestQuote - 3;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text + "...";
}

// Collects the wanted string fields of objects at depth 1 and 2. Depth is counted over
// arrays too, so only an object directly inside the top one is read.
class FieldCollector : public nlohmann::json_sax<nlohmann::json> {
  public:
    explicit FieldCollector(const std::vector<std::string>& keys) : keys_(keys) {}

    std::vector<std::map<std::string, std::string>> objects;
    bool topIsObject = false;

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool binary(binary_t&) override { return value(); }
    bool string(string_t& text) override {
        if (wanted_ && depth_ <= 2 && !open_.empty()) open_.back()[key_] = text;
        return value();
    }
    bool start_object(std::size_t) override {
        if (depth_ == 0) topIsObject = true;
        ++depth_;
        wanted_ = false;
        if (depth_ <= 2) open_.emplace_back();
        return true;
    }
    bool key(string_t& name) override {
        wanted_ = depth_ <= 2 && std::find(keys_.begin(), keys_.end(), name) != keys_.end();
        if (wanted_) key_ = name;
        return true;
    }
    bool end_object() override {
        if (depth_ <= 2 && !open_.empty()) {
            if (!open_.back().empty()) objects.push_back(std::move(open_.back()));
            open_.pop_back();
        }
        --depth_;
        return value();
    }
    bool start_array(std::size_t) override {
        ++depth_;
        wanted_ = false;
        return true;
    }
    bool end_array() override {
        --depth_;
        return value();
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

  private:
    bool value() {
        wanted_ = false;
        return true;
    }

    const std::vector<std::string>& keys_;
    std::vector<std::map<std::string, std::string>> open_;
    std::string key_;
    std::size_t depth_ = 0;
    bool wanted_ = false;
};

}  // namespace

std::span<const Launcher* const> all() {
    static const Launcher* const families[] = {&steam(), &epicAndHeroic(), &winePrefixes()};
    return families;
}

void Launcher::addLinuxPlaces(const HostEnvironment&, SearchPlaces&) const {}
void Launcher::addWindowsPlaces(const HostEnvironment&, Registry&, SearchPlaces&) const {}

void SearchLog::note(std::string place, std::string outcome) {
    result.notes.push_back({shortened(std::move(place)), shortened(std::move(outcome))});
}

void SearchLog::add(GameInstall install) {
    const std::string place = install.source;
    if (!seen_.insert(folderKey(install.hostFolder)).second) {
        note(place, "the game at " + install.hostFolder + ", already listed");
        if (install.origin == GameInstall::Origin::Looked) {
            result.alsoLooked.push_back(std::move(install));
        }
        return;
    }
    note(place, "the game at " + install.hostFolder);
    result.installs.push_back(std::move(install));
}

void SearchLog::addIfGame(std::string source, const fs::path& folder, std::string installPath,
                          fs::path prefix, GameInstall::Origin origin) {
    if (!holdsGame(folder)) {
        const std::string problem = folderProblem(folder);
        note(std::move(source),
             folder.string() +
                 (problem.empty() ? " holds no GameData\\Behavior.iff" : " " + problem));
        return;
    }
    add({std::move(source), std::move(installPath), folder.string(), std::move(prefix), origin});
}

void SearchLog::addHostFolder(std::string source, const fs::path& folder,
                              GameInstall::Origin origin) {
    fs::path shown = folder;
    shown.make_preferred();
    addIfGame(std::move(source), folder, withSeparator(shown.string(), separator_), {}, origin);
}

bool SearchLog::firstVisit(const fs::path& folder) {
    return visited_.insert(folderKey(folder)).second;
}

namespace {

// Whether `value` under the game's key is text of more bytes than any Windows path has
// characters, which Module1 refuses as no path.
bool textLongerThanAnyPath(Registry& registry, const char* value) {
    RegistryHandle key = 0;
    if (registry.openKey(kLocalMachine, Module1::kSimsKey, key) != kRegSuccess) return false;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const bool found = registry.queryValue(key, value, type, nullptr, size) == kRegSuccess;
    registry.closeKey(key);
    return found && (type == kRegSz || type == kRegExpandSz) && size > Module1::kMaxPathUnits + 1;
}

}  // namespace

std::string longerThanAnyPathNote() {
    return "is longer than any Windows path (" + std::to_string(Module1::kMaxPathUnits) +
           " characters), so it names no folder and was not read";
}

std::vector<RegisteredPath> registeredPaths(Registry& registry) {
    std::vector<RegisteredPath> paths;
    for (const char* value : {Module1::kSimsValue, kInstallPathValue}) {
        std::string path =
            Module1::ReadRegistryValue(registry, kLocalMachine, Module1::kSimsKey, value);
        const bool tooLong = path.empty() && textLongerThanAnyPath(registry, value);
        if (!path.empty() && path.back() != '\\') path += '\\';
        paths.push_back({value, std::move(path), tooLong});
    }
    return paths;
}

std::string driveCPath(const fs::path& driveC, const fs::path& folder) {
    std::string out = "C:\\";
    for (const auto& name : folder.lexically_relative(driveC)) {
        out += name.string();
        out += '\\';
    }
    return out;
}

fs::path expandHome(const std::string& path, const fs::path& home) {
    if (path == "~") return home;
    if (path.rfind("~/", 0) == 0) return home / path.substr(2);
    return path;
}

bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::string folderProblem(const fs::path& folder) {
    std::error_code ec;
    const fs::directory_iterator it(folder, ec);
    if (!ec || ec == std::errc::no_such_file_or_directory) return {};
    if (ec == std::errc::not_a_directory) return "is not a folder";
    return "cannot be read: " + ec.message();
}

std::optional<std::vector<std::map<std::string, std::string>>> jsonFields(
    std::string_view text, const std::vector<std::string>& keys) {
    FieldCollector collector(keys);
    const bool parsed = nlohmann::json::sax_parse(text.begin(), text.end(), &collector);
    if (!parsed || !collector.topIsObject) return std::nullopt;
    return std::move(collector.objects);
}

}  // namespace brambleton::launchers
