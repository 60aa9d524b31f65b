// Opens arbitrary bytes as a table's ".dat" and ".idx" files, searches for a
// stored key by each field and reads every record through every index. Input: a 4-byte little-endian length of the
// ".dat" bytes, the ".dat" bytes, then the ".idx" bytes. Nothing may crash,
// hang or allocate without bound.
//
// Built with -DTABLE_FUZZ_SEED, the program instead writes a seed input made
// from a small word-list table to the path given as its argument.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "container/disk_file_system.h"
#include "platform/error.h"
#include "table/data_manager.h"

namespace {

namespace fs = std::filesystem;

fs::path WorkDir() {
  static const fs::path dir = fs::temp_directory_path() / ("corvane_table_fuzz_" + std::to_string(getpid()));
  return dir;
}

void WriteFile(const fs::path& path, const uint8_t* data, std::size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  uint32_t dat_size = 0;
  for (int i = 3; i >= 0; --i) dat_size = (dat_size << 8) | data[i];
  if (dat_size > size - 4) dat_size = static_cast<uint32_t>(size - 4);
  fs::create_directories(WorkDir());
  WriteFile(WorkDir() / "T.dat", data + 4, dat_size);
  WriteFile(WorkDir() / "T.idx", data + 4 + dat_size, size - 4 - dat_size);
  try {
    corvane::container::TDiskPlainFileSystem store(WorkDir().string());
    corvane::table::TCvDataManager table(store, "T", corvane::table::TableMode::kNormal, false);
    corvane::table::TableIndexes& indexes = table.Indexes();
    // First, while the arrays may still lie in the file: a search for a
    // stored key probes them there, case-sensitively and not.
    for (int32_t f = -1; table.RecordCount() > 0 && f < static_cast<int32_t>(table.Layout().fields.size()); ++f) {
      corvane::table::SearchCondition c;
      c.field = f;
      const uint8_t* slot = table.Slot((f + 1) % table.RecordCount());
      c.value.assign(slot, slot + table.Layout().slot_size);
      for (const bool ci : {false, true}) {
        c.case_insensitive = ci;
        try {
          indexes.GetMatchedRecordsArray(c, false, nullptr);
        } catch (const corvane::Error&) {
        }
      }
    }
    for (int i = 0; i < indexes.Count(); ++i) {
      for (int32_t p = 0; p < table.RecordCount(); ++p) {
        const int32_t record = indexes.RecordAt(i, p);
        if (record >= 0 && record < table.RecordCount()) table.Slot(record);
      }
    }
  } catch (const corvane::Error&) {
  }
  return 0;
}

#ifdef TABLE_FUZZ_SEED
int main(int argc, char** argv) {
  if (argc < 2) return 2;
  using namespace corvane::table;
  fs::create_directories(WorkDir());
  corvane::container::TDiskPlainFileSystem store(WorkDir().string());
  TableDefinition def;
  def.id_field_name = "ID";
  def.fields = {{"NWORD", FieldType::ftString, 31, false, 0}, {"HWORD", FieldType::ftString, 31, false, 0}};
  TableDefinition::Index by_word;
  by_word.name = "ByNWORD";
  by_word.fields = {0};
  by_word.case_insensitive = {true};
  by_word.ascending = {true};
  by_word.options = ixCaseInsensitive;
  def.indexes.push_back(by_word);
  TCvDataManager::CreateTable(store, "T", def);
  {
    TCvDataManager table(store, "T", TableMode::kNormal, false);
    const char* words[][2] = {{"kitap", "ki_tap"}, {"merhaba", "mer_ha_ba"}, {"Kalem", "Ka_lem"}};
    for (const auto& w : words) {
      std::vector<uint8_t> slot = table.Layout().NewRecord(0);
      for (int f = 0; f < 2; ++f) {
        std::memcpy(slot.data() + table.Layout().fields[f].offset, w[f], std::strlen(w[f]));
        table.Layout().SetNull(slot.data(), f, false);
      }
      table.AppendRecord(slot.data(), -1);
    }
  }
  std::ifstream dat(WorkDir() / "T.dat", std::ios::binary), idx(WorkDir() / "T.idx", std::ios::binary);
  const std::string dat_bytes((std::istreambuf_iterator<char>(dat)), {}), idx_bytes((std::istreambuf_iterator<char>(idx)), {});
  std::ofstream out(argv[1], std::ios::binary);
  const auto n = static_cast<uint32_t>(dat_bytes.size());
  for (int i = 0; i < 4; ++i) out.put(static_cast<char>(n >> (8 * i)));
  out << dat_bytes << idx_bytes;
  fs::remove_all(WorkDir());
  return 0;
}
#endif
