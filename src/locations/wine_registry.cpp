// SPDX-License-Identifier: MIT
#include "locations/wine_registry.h"

#include "locations/small_file.h"

namespace brambleton {
namespace {

// Files past the size limit are not a prefix's registry; refusing them keeps a stray file from
// exhausting memory. `problem` receives why the file holds no keys at all, or is cleared.
std::string readFile(const std::filesystem::path& file, std::string& problem) {
    auto read = readSmallFile(file, WineRegistry::kMaxFileSize);
    if (read.problem != FileProblem::None) {
        problem = describeProblem(read.problem);
    } else if (read.text.rfind("\xff\xfe", 0) == 0 || read.text.rfind("\xfe\xff", 0) == 0) {
        problem = "is UTF-16 text, which Wine never writes";
    } else if (read.text.rfind("WINE REGISTRY Version ", 0) != 0) {
        problem = "is not a Wine registry file";
    } else {
        problem.clear();
    }
    return std::move(read.text);
}

bool startsWithSoftware(std::u16string_view path) {
    constexpr std::u16string_view kSoftware = u"Software\\";
    return path.size() > kSoftware.size() &&
           regfile::equalNames(path.substr(0, kSoftware.size()), kSoftware);
}

// Converts a stored value to what the ANSI call returns: text types in the narrow encoding.
std::vector<std::uint8_t> narrowData(const regfile::Value& value) {
    if (value.type != kRegSz && value.type != kRegExpandSz && value.type != kRegMultiSz) {
        return value.data;
    }
    std::u16string units;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
        units.push_back(static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8)));
    }
    const std::string text = regfile::utf16ToUtf8(units);
    return {text.begin(), text.end()};
}

}  // namespace

WineRegistry::WineRegistry(std::filesystem::path systemReg) : file_(std::move(systemReg)) {}

WineRegistry WineRegistry::fromText(std::string text, std::filesystem::path readFrom) {
    WineRegistry registry(std::move(readFrom));
    registry.snapshot_ = std::move(text);
    return registry;
}

std::optional<std::vector<regfile::Value>> WineRegistry::lookUp(std::string_view text,
                                                                std::string_view subKey) {
    // Names in the file are separated by a single "\" once decoded; a caller's doubled or
    // trailing separators name the same key.
    std::u16string path;
    for (const char16_t u : regfile::utf8ToUtf16(subKey)) {
        if (u == u'\\' && (path.empty() || path.back() == u'\\')) continue;
        path.push_back(u);
    }
    if (!path.empty() && path.back() == u'\\') path.pop_back();

    std::optional<std::vector<regfile::Value>> wow;
    if (regfile::architecture(text) != regfile::Arch::Win32 && startsWithSoftware(path)) {
        wow = regfile::findKey(text, u"Software\\Wow6432Node\\" + path.substr(9));
    }
    auto plain = regfile::findKey(text, path);
    if (!wow) return plain;
    if (plain) wow->insert(wow->end(), plain->begin(), plain->end());  // found after wow's own
    return wow;
}

std::int32_t WineRegistry::openKey(RegistryHandle root, const std::string& subKey,
                                   RegistryHandle& handle) {
    if (root != kLocalMachine) return kRegInvalidHandle;
    auto values =
        snapshot_ ? lookUp(*snapshot_, subKey) : lookUp(readFile(file_, problem_), subKey);
    if (!values) return kRegFileNotFound;
    const RegistryHandle opened = next_++;
    if (next_ == 0 || next_ >= kLocalMachine) next_ = 1;
    open_[opened] = std::move(*values);
    handle = opened;
    return kRegSuccess;
}

std::int32_t WineRegistry::queryValue(RegistryHandle key, const std::string& valueName,
                                      std::uint32_t& type, void* data, std::uint32_t& size) {
    const auto it = open_.find(key);
    if (it == open_.end()) return kRegInvalidHandle;
    const auto wanted = regfile::utf8ToUtf16(valueName);
    for (const auto& value : it->second) {
        if (!regfile::equalNames(value.name, wanted)) continue;
        const auto bytes = narrowData(value);
        type = value.type;
        return deliverValue(bytes, data, size);
    }
    return kRegFileNotFound;
}

std::int32_t WineRegistry::closeKey(RegistryHandle key) {
    return open_.erase(key) ? kRegSuccess : kRegInvalidHandle;
}

std::string WineRegistry::describe() const {
    return file_.string();
}

}  // namespace brambleton
