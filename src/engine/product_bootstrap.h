#pragma once
// What the machine knows of this product at the start of a run: the instance this engine
// serves, the engine cache folder, whether the product is installed (maintenance) or
// installed by another build (upgrade), and the folder a first installation proposes.
#include <string>

#include "script/interpreter.h"

namespace qv::engine {

// The registry key under which an installation records its engine cache folder.
inline constexpr const char* kIdentCacheKey = "SOFTWARE\\Brelmont\\Quorvane\\Ident.Cache\\";
// The Installer's product state of an installed product.
inline constexpr int kInstallStateInstalled = 5;

class ProductBootstrapStep final : public script::ProductBootstrap {
 public:
  std::string ProductFolder(script::EngineContext& engine) override;
  bool AllUsers(script::EngineContext& engine) override;
  void Run(script::EngineContext& engine, script::RunState& run) override;
  void CacheLocation(script::EngineContext& engine, script::RunState& run, bool allUsers,
                     const std::string& overrideCache, std::string& engineCache, std::string& uninstallLink) override;

  // The folder below which installations cache their engine, for the all-users flag.
  std::string EngineCacheBase(script::EngineContext& engine, bool allUsers);
  // Forgets what the per-line refresh keeps, after the installation was recorded or removed.
  void Invalidate() { refreshValid_ = false; }

 private:
  std::string RecordedCacheFolder(script::EngineContext& engine);
  bool ReadInstanceFile(script::EngineContext& engine);

  bool instanceFile_ = false;
  // The per-line refresh only recomputes when what it depends on changed.
  struct RefreshInputs {
    bool allUsers = false;
    int mediaMode = 0;
    std::string detail;  // OVERRIDECACHE, or the title in media mode 3
    std::string productCode;
    std::string revisionCode;
    bool operator==(const RefreshInputs&) const = default;
  };
  RefreshInputs refreshInputs_;
  bool refreshValid_ = false;
  std::string engineCache_;
  std::string uninstallLink_;
};

}  // namespace qv::engine
