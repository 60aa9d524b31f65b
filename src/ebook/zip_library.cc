#include "ebook/zip_library.h"

#include <dlfcn.h>

#include "platform/error.h"

namespace corvane::ebook {
namespace {

ZipLibrary Load() {
  void* handle = nullptr;
  for (const char* name : {"libzip.so.4", "libzip.so"}) {
    if ((handle = dlopen(name, RTLD_NOW | RTLD_LOCAL)) != nullptr) break;
  }
  if (handle == nullptr) throw Error("EPUB books need the zip library libzip, which is not installed");
  // Kept loaded for the rest of the process: its functions stay in use.
  ZipLibrary library{};
  bool complete = true;
#define CORVANE_ZIP_LOAD(name)                                                                   \
  library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, "zip_" #name));          \
  complete = complete && library.name != nullptr;
  CORVANE_ZIP_FUNCTIONS(CORVANE_ZIP_LOAD)
#undef CORVANE_ZIP_LOAD
  if (!complete) throw Error("the installed zip library libzip is too old for EPUB books");
  return library;
}

}  // namespace

const ZipLibrary& Zip() {
  static const ZipLibrary library = Load();
  return library;
}

}  // namespace corvane::ebook
