// The zip library, loaded when the first book is opened rather than when the
// program starts: it brings a large cryptography library with it, and most
// runs of `corvane` hyphenate pages, where a millisecond of start-up counts.
#ifndef CORVANE_EBOOK_ZIP_LIBRARY_H_
#define CORVANE_EBOOK_ZIP_LIBRARY_H_

#include <zip.h>

namespace corvane::ebook {

// The functions the books use, by the zip library's own declarations.
struct ZipLibrary {
#define CORVANE_ZIP_FUNCTION(name) decltype(&::zip_##name) name;
#define CORVANE_ZIP_FUNCTIONS(F)                                                                                   \
  F(open) F(close) F(discard) F(get_num_entries) F(get_name) F(name_locate) F(stat_index) F(strerror)               \
  F(fopen_index) F(fread) F(fclose) F(file_strerror) F(error_init_with_code) F(error_strerror) F(error_fini)       \
  F(source_buffer) F(source_zip) F(source_free) F(file_add) F(set_file_compression)                               \
  F(file_get_external_attributes) F(file_set_external_attributes) F(file_set_mtime)
  CORVANE_ZIP_FUNCTIONS(CORVANE_ZIP_FUNCTION)
#undef CORVANE_ZIP_FUNCTION
};

// Loaded once per process; throws corvane::Error when the library is missing.
const ZipLibrary& Zip();

}  // namespace corvane::ebook

#endif  // CORVANE_EBOOK_ZIP_LIBRARY_H_
