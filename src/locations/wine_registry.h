// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "locations/reg_file.h"
#include "locations/registry.h"

namespace brambleton {

// HKEY_LOCAL_MACHINE of a Wine prefix, read from its system.reg. Every open reads the file
// afresh. As a 32-bit program sees it: in a 64-bit prefix, "Software\X" is looked up first
// as "Software\Wow6432Node\X"; a value missing there is taken from the plain view, where
// players who add the key by hand with 64-bit tools put it. A file that is missing,
// unreadable, empty or malformed holds no keys.
class WineRegistry final : public Registry {
  public:
    explicit WineRegistry(std::filesystem::path systemReg);

    // A registry that reads `text` instead of its file, for a caller that looks up several
    // keys in one file read once. `readFrom` is only what describe() names.
    static WineRegistry fromText(std::string text, std::filesystem::path readFrom);

    // The largest system.reg read; a larger file holds no keys.
    static constexpr std::size_t kMaxFileSize = std::size_t{256} << 20;

    std::int32_t openKey(RegistryHandle root, const std::string& subKey,
                         RegistryHandle& handle) override;
    std::int32_t queryValue(RegistryHandle key, const std::string& valueName, std::uint32_t& type,
                            void* data, std::uint32_t& size) override;
    std::int32_t closeKey(RegistryHandle key) override;
    std::string describe() const override;
    std::string readProblem() const override { return problem_; }

    // The values of `subKey` of HKEY_LOCAL_MACHINE in a file's text, both views merged as
    // above; nothing when neither view holds the key. Exposed for tests and the fuzzer.
    static std::optional<std::vector<regfile::Value>> lookUp(std::string_view text,
                                                             std::string_view subKey);

  private:
    std::filesystem::path file_;
    std::optional<std::string> snapshot_;
    std::string problem_;
    std::map<RegistryHandle, std::vector<regfile::Value>> open_;
    RegistryHandle next_ = 1;
};

}  // namespace brambleton
