#include "locations/folder_map.h"
#include "locations/wine_prefix.h"

namespace brambleton {
namespace {

class WineFolderMap final : public FolderMap {
  public:
    std::vector<std::string> drives() const override {
        auto found = WinePrefix::fromEnvironment().drives();
        found.push_back("/");
        return found;
    }
    std::string driveRoot(std::string_view drive) const override {
        if (drive == "/") return "/";
        return WinePrefix::fromEnvironment().driveRoot(drive).string();
    }
    std::string toHostPath(std::string_view windowsPath) const override {
        return WinePrefix::fromEnvironment().toHostPath(windowsPath);
    }
    std::string describe() const override {
        const auto prefix = WinePrefix::fromEnvironment();
        return prefix.systemRegistry().string() + " of the Wine prefix " + prefix.root().string();
    }
    char separator() const noexcept override { return '/'; }
};

}  // namespace

std::unique_ptr<FolderMap> makePlatformFolderMap() {
    return std::make_unique<WineFolderMap>();
}

}  // namespace brambleton
