#include "drovix_graph/typeset/FreeTypeSupport.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>
#include <type_traits>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"

namespace drovix {
namespace {

struct TFreeTypeLibrary {
  TFreeType entries;
  void* handle = nullptr;
  // Set once every entry point is resolved; fonts loaded side by side read
  // the table only after seeing it.
  std::atomic<bool> loaded{false};

  TFreeTypeLibrary() = default;
  TFreeTypeLibrary(const TFreeTypeLibrary&) = delete;
  TFreeTypeLibrary& operator=(const TFreeTypeLibrary&) = delete;
  // The library opened during the run is closed when the program ends.
  ~TFreeTypeLibrary() { Close(); }
  void Close() {
    if (handle) ::dlclose(handle);
    handle = nullptr;
    loaded.store(false);
    entries = TFreeType{};
  }
};

std::string g_libFile = kLibFreeTypeFile;
TFreeTypeLibrary g_freeType;
// One font at a time opens the library.
std::mutex g_loadMutex;

}  // namespace

const TFreeType& LoadFreeType(const std::string& fontFile) {
  if (g_freeType.loaded.load(std::memory_order_acquire)) return g_freeType.entries;
  const std::lock_guard<std::mutex> lock(g_loadMutex);
  if (g_freeType.loaded.load(std::memory_order_acquire)) return g_freeType.entries;
  void* handle = ::dlopen(g_libFile.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr)
    Raise(Format(Ru("Не удалось загрузить %s,\n\rа без этой библиотеки шрифты TrueType/OpenType не "
                    "открыть (шрифт \"%s\")."),
                 g_libFile.c_str(), fontFile.c_str()));
  TFreeType entries;
  const auto resolve = [&](const char* name, auto& pointer) {
    void* p = ::dlsym(handle, name);
    if (p == nullptr) {
      ::dlclose(handle);
      Raise(Ru("Не удалось загрузить процедуру ") + name + Ru(" из библиотеки ") + g_libFile);
    }
    pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(p);
  };
#define DROVIX_FREETYPE_RESOLVE(name) resolve(#name, entries.name);
  DROVIX_FREETYPE_ENTRIES(DROVIX_FREETYPE_RESOLVE)
#undef DROVIX_FREETYPE_RESOLVE
  g_freeType.entries = entries;
  g_freeType.handle = handle;
  g_freeType.loaded.store(true, std::memory_order_release);
  return g_freeType.entries;
}

void SetFreeTypeFileForTesting(const std::string& file) {
  const std::lock_guard<std::mutex> lock(g_loadMutex);
  g_freeType.Close();
  g_libFile = file;
}

}  // namespace drovix
