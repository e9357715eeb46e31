// SPDX-License-Identifier: MIT
#include "actions/journal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "common/runtime_error.h"

namespace brambleton::actions {
namespace fs = std::filesystem;

namespace {

// A record is one line of fields separated by tabs; a field's %, tab and line ends are
// written %XX, so no field can break a record.
std::string escaped(const std::string& field) {
    std::string out;
    for (const char c : field) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            constexpr std::string_view kHex = "0123456789ABCDEF";
            const auto u = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescaped(std::string_view field) {
    if (field.find('%') == std::string_view::npos) return std::string(field);
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        unsigned value = 0;
        if (field[i] == '%' && i + 2 < field.size() &&
            std::from_chars(field.data() + i + 1, field.data() + i + 3, value, 16).ptr ==
                field.data() + i + 3) {
            out += static_cast<char>(value);
            i += 2;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string> fieldsOf(std::string_view line) {
    std::vector<std::string> fields;
    fields.reserve(10);  // a step's record, the longest
    std::size_t start = 0;
    for (;;) {
        const auto cut = line.find('\t', start);
        fields.push_back(
            unescaped(line.substr(start, cut == std::string_view::npos ? cut : cut - start)));
        if (cut == std::string_view::npos) break;
        start = cut + 1;
    }
    return fields;
}

template <typename T>
std::optional<T> number(const std::string& text, int base = 10) {
    T value{};
    const auto* end = text.data() + text.size();
    const auto got = std::from_chars(text.data(), end, value, base);
    if (got.ec != std::errc() || got.ptr != end || text.empty()) return std::nullopt;
    return value;
}

constexpr std::array<std::string_view, 5> kActions = {"move", "trash", "rename", "mkdir", "write"};

std::string nowText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M", &local);
    return text.data();
}

// A step record's fields (S, id, index, action, from, to, record, size, hash, folder) as a
// step; nullopt when they make no sense.
std::optional<JournalStep> stepOf(const std::vector<std::string>& f) {
    const auto* action = std::find(kActions.begin(), kActions.end(), f[3]);
    const auto index = number<std::size_t>(f[2]);
    const auto size = number<std::uint64_t>(f[7]);
    if (action == kActions.end() || !index || !size) return std::nullopt;
    JournalStep step;
    step.index = *index;
    step.action = static_cast<JournalAction>(action - kActions.begin());
    step.from = f[4];
    step.to = f[5];
    step.record = f[6];
    step.size = *size;
    step.hash = number<std::uint64_t>(f[8], 16);
    step.folder = f[9] == "1";
    return step;
}

// The step of `change` whose index is `text`: steps are journalled in the order of their
// indices, so it is looked for at its index first.
JournalStep* stepAt(Change& change, const std::string& text) {
    const auto index = number<std::size_t>(text);
    if (!index) return nullptr;
    if (*index < change.steps.size() && change.steps[*index].index == *index) {
        return &change.steps[*index];
    }
    const auto found = std::find_if(change.steps.begin(), change.steps.end(),
                                    [&](const auto& step) { return step.index == *index; });
    return found == change.steps.end() ? nullptr : &*found;
}

// Applies one record to the changes read so far; a record that makes no sense (cut short,
// or naming no change) is passed over.
void apply(const std::vector<std::string>& f, std::vector<Change>& changes,
           std::map<std::string, std::size_t>& byId) {
    if (f.size() < 2) return;
    if (f[0] == "C" && f.size() == 5 && byId.count(f[1]) == 0) {
        byId[f[1]] = changes.size();
        changes.push_back({f[1], f[2], f[3], f[4], {}, false, false, false});
        return;
    }
    const auto found = byId.find(f[1]);
    if (found == byId.end()) return;
    Change& change = changes[found->second];
    const std::string& kind = f[0];
    if (kind == "S" && f.size() == 10) {
        if (auto step = stepOf(f)) change.steps.push_back(std::move(*step));
        return;
    }
    JournalStep* step = f.size() >= 3 ? stepAt(change, f[2]) : nullptr;
    if (kind == "D" && step) step->done = true;
    if (kind == "R" && step) step->undone = true;
    if (kind == "K" && step && f.size() == 4) step->kept = f[3];
    if (kind == "F") change.finished = true;
    if (kind == "U") change.undoBegun = true;
    if (kind == "E") change.undoFinished = true;
}

}  // namespace

namespace {

// `folder`, made when missing; the lock's path in it.
fs::path lockIn(const fs::path& folder) {
    std::error_code ec;
    if (folder.empty() || (fs::create_directories(folder, ec), !fs::is_directory(folder))) {
        throw RuntimeError(kPathNotFound, "Path not found: Brambleton's journal folder " +
                                              folder.string() + " cannot be made");
    }
    return folder / "lock";
}

}  // namespace

Journal::Journal(const fs::path& folder) : lock_(lockIn(folder)) {
    if (!lock_.held()) {
        throw RuntimeError(kPermissionDenied,
                           "Another Brambleton is changing files; try again when it has finished.");
    }
    log_ = std::make_unique<DurableLog>(folder / "journal.txt");
    // A record a crash cut short is ended, so that the next begins on a line of its own.
    const std::string text = log_->readAll();
    if (!text.empty() && text.back() != '\n') log_->append("\n");
}

namespace {

std::vector<Change> parse(const std::string& text) {
    std::vector<Change> changes;
    std::map<std::string, std::size_t> byId;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find('\n', start);
        if (end == std::string::npos) break;  // the last record, cut short by a crash
        apply(fieldsOf(std::string_view(text).substr(start, end - start)), changes, byId);
        start = end + 1;
    }
    return changes;
}

}  // namespace

std::vector<Change> Journal::changes() const {
    auto out = parse(log_->readAll());
    unsigned long long last = 0;
    for (const auto& change : out)
        last = std::max(last, number<unsigned long long>(change.id).value_or(0));
    lastId_ = last;
    return out;
}

std::vector<Change> readChanges(const fs::path& folder) {
    std::ifstream in(folder / "journal.txt", std::ios::binary);
    return parse(std::string((std::istreambuf_iterator<char>(in)), {}));
}

std::string Journal::newId() const {
    // The lock is held: nobody else appends, so the journal read last (and what was begun
    // since) still says which ids are taken.
    if (!lastId_) (void)changes();
    return std::to_string(*lastId_ + 1);
}

void Journal::write(const std::vector<std::string>& fields, bool flush) {
    std::string line;
    for (const auto& field : fields) {
        if (!line.empty()) line += '\t';
        line += escaped(field);
    }
    log_->append(line + "\n", flush);
}

void Journal::begin(const Change& change) {
    write({"C", change.id, change.when.empty() ? nowText() : change.when, change.install,
           change.label});
    if (const auto id = number<unsigned long long>(change.id); id && lastId_) {
        lastId_ = std::max(*lastId_, *id);
    }
}

void Journal::intent(const std::string& id, const JournalStep& step, bool flush) {
    std::array<char, 17> hash{};
    if (step.hash) std::to_chars(hash.data(), hash.data() + 16, *step.hash, 16);
    write({"S", id, std::to_string(step.index),
           std::string(kActions[static_cast<std::size_t>(step.action)]), step.from, step.to,
           step.record, std::to_string(step.size), step.hash ? hash.data() : "-",
           step.folder ? "1" : "0"},
          flush);
}

void Journal::done(const std::string& id, std::size_t index) {
    write({"D", id, std::to_string(index)}, false);
}

void Journal::finish(const std::string& id) {
    write({"F", id});
}

void Journal::undoBegin(const std::string& id) {
    write({"U", id});
}

void Journal::undone(const std::string& id, std::size_t index) {
    write({"R", id, std::to_string(index)}, false);
}

void Journal::kept(const std::string& id, std::size_t index, const std::string& why) {
    write({"K", id, std::to_string(index), why}, false);
}

void Journal::undoFinish(const std::string& id) {
    write({"E", id});
}

}  // namespace brambleton::actions
