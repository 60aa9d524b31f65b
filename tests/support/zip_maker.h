// Zip archives made in tests, with the zip library the product uses, so that
// book tests need no files of their own.
#ifndef CORVANE_TESTS_SUPPORT_ZIP_MAKER_H_
#define CORVANE_TESTS_SUPPORT_ZIP_MAKER_H_

#include <gtest/gtest.h>
#include <zip.h>

#include <ctime>
#include <string>
#include <vector>

namespace corvane::test_support {

struct ZipEntry {
  std::string name;
  std::string data;
  bool stored = false;  // else deflated
};

// Entries in order, each dated 2024-05-06 07:08 so times can be compared.
inline void MakeZip(const std::string& path, const std::vector<ZipEntry>& entries) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  ASSERT_NE(archive, nullptr);
  std::tm when{};
  when.tm_year = 124, when.tm_mon = 4, when.tm_mday = 6, when.tm_hour = 7, when.tm_min = 8, when.tm_isdst = -1;
  const time_t mtime = mktime(&when);
  for (const ZipEntry& entry : entries) {
    zip_source_t* source = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
    const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, 0);
    ASSERT_GE(index, 0) << entry.name;
    zip_set_file_compression(archive, index, entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    zip_file_set_mtime(archive, index, mtime, 0);
  }
  ASSERT_EQ(zip_close(archive), 0);
}

}  // namespace corvane::test_support

#endif  // CORVANE_TESTS_SUPPORT_ZIP_MAKER_H_
