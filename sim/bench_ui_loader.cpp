#include <dlfcn.h>

#include "serial/beside_this_program.h"
#include "sim/bench_ui.h"

namespace endcap::sim {

namespace {

constexpr const char* kModuleName = "endcap-unit-sim-bench.so";

}  // namespace

std::unique_ptr<BenchUi> LoadBenchUi(const char* program, std::string& error) {
  const std::string path = HelperPath(kModuleName);
  // The module stays loaded until the program ends: the toolkit does not expect to be unloaded.
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* reason = ::dlerror();
    error = "the bench window cannot be loaded: " + std::string(reason ? reason : path.c_str());
    return nullptr;
  }
  auto factory = reinterpret_cast<BenchUiFactory>(::dlsym(module, kBenchUiFactory));
  if (!factory) {
    error = "the bench window cannot be loaded: " + path + " has no " + kBenchUiFactory;
    return nullptr;
  }
  return std::unique_ptr<BenchUi>(factory(program));
}

}  // namespace endcap::sim
