// corvane db: look into the table databases of the engine.
//
// DB is a container file (a single-file database) or a directory (one
// plain file per table file). schema, dump, find and locate open the table
// through the engine, read-only; tables and check read the files directly,
// so that check sees the files as they are, before the engine repairs
// anything. Text leaves as UTF-8 and the VALUE of locate and the filter
// expressions arrive as UTF-8; inside, all are code page 1254, and the
// engine's messages, which quote the expression, leave as UTF-8 too.
#include <sys/stat.h>

#include <iomanip>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/cli.h"
#include "cli/options.h"
#include "container/container_check.h"
#include "container/file_store_registry.h"
#include "platform/codepage.h"
#include "platform/coding.h"
#include "platform/error.h"
#include "table/collation.h"
#include "table/dataset.h"
#include "table/table_check.h"

namespace corvane::cli {
namespace {

using table::FieldType;
using table::TCvDataset;

struct DbArgs : ActionCall {
  std::string index;
  long long limit = -1;
  bool case_insensitive = false;
  bool partial = false;
  std::optional<std::string> filter;
  std::optional<table::TFilterOptions> filter_options;
  bool last = false;
};

// "case-insensitive", "no-partial-compare", or both separated by a comma.
table::TFilterOptions ParseFilterOptions(const std::string& list) {
  table::TFilterOptions options = 0;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t comma = list.find(',', begin);
    const std::string item = list.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
    if (item == "case-insensitive") {
      options |= table::foCaseInsensitive;
    } else if (item == "no-partial-compare") {
      options |= table::foNoPartialCompare;
    } else {
      throw UsageError("--filter-options takes case-insensitive and no-partial-compare, not '" + item + "'");
    }
    if (comma == std::string::npos) return options;
    begin = comma + 1;
  }
}

DbArgs ParseArgs(const std::vector<std::string>& args) {
  DbArgs a;
  OptionReader reader(args);
  while (reader.Next()) {
    if (!reader.IsOption()) {
      a.AddOperand(reader.Operand());
    } else if (reader.Name() == "--index") {
      a.index = reader.Value();
    } else if (reader.Name() == "--limit") {
      const std::string value = reader.Value();
      std::size_t used = 0;
      try {
        a.limit = std::stoll(value, &used);
      } catch (const std::exception&) {
        used = 0;
      }
      if (used != value.size() || a.limit < 0) throw UsageError("--limit needs a count, not '" + value + "'");
    } else if (reader.Name() == "--ci") {
      reader.NoValue();
      a.case_insensitive = true;
    } else if (reader.Name() == "--partial") {
      reader.NoValue();
      a.partial = true;
    } else if (reader.Name() == "--filter") {
      a.filter = reader.Value();
    } else if (reader.Name() == "--filter-options") {
      a.filter_options = ParseFilterOptions(reader.Value());
    } else if (reader.Name() == "--last") {
      reader.NoValue();
      a.last = true;
    } else {
      throw UsageError("unknown option " + reader.Name());
    }
  }
  static constexpr ActionArity kActions[] = {{"tables", 1, 1}, {"schema", 2, 2}, {"dump", 2, 2},
                                             {"find", 3, 3},   {"locate", 4, 4}, {"check", 1, 2}};
  CheckActionCall("db", a, kActions);
  if (!a.index.empty() && a.action != "dump" && a.action != "find") throw UsageError("--index is for db dump and find");
  if (a.filter && a.action != "dump") throw UsageError("--filter is for db dump");
  if (a.filter_options && !a.filter) throw UsageError("--filter-options needs --filter");
  if (a.last && a.action != "find") throw UsageError("--last is for db find");
  if (a.limit >= 0 && a.action != "dump") throw UsageError("--limit is for db dump");
  if ((a.case_insensitive || a.partial) && a.action != "locate") throw UsageError("--ci and --partial are for db locate");
  return a;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void CheckDatabaseExists(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) throw Error(path + ": no such file or directory");
}

std::string ToUtf8(const std::string& cp1254) { return platform::Cp1254ToUtf8(cp1254); }

std::string FromUtf8(const std::string& text) {
  if (!platform::IsValidUtf8(text)) return text;  // taken as code page bytes
  return platform::Utf8ToCp1254(text).text;
}

// The store of a database for the commands that read files directly;
// released when done so that later commands see the files afresh.
class DirectStore {
 public:
  explicit DirectStore(const std::string& path)
      : path_(path), mode_(IsDirectory(path) ? container::StoreMode::kDisk : container::StoreMode::kContainer) {
    CheckDatabaseExists(path);
    container::FileStoreRegistry& stores = container::FileStoreRegistry::Instance();
    const std::size_t before = stores.StoreCount();
    // Looking never changes what is looked at.
    bool read_only = true;
    store_ = stores.GetStore(path, mode_, false, read_only);
    if (store_ == nullptr) throw Error(path + ": " + stores.LastError());
    owned_ = stores.StoreCount() > before;
  }
  ~DirectStore() {
    // A store the engine already had stays with the engine.
    if (owned_) container::FileStoreRegistry::Instance().ReleaseStore(path_, mode_);
  }
  DirectStore(const DirectStore&) = delete;
  DirectStore& operator=(const DirectStore&) = delete;

  container::TAbstractPlainFileSystem& operator*() const { return *store_; }
  bool IsContainer() const { return mode_ == container::StoreMode::kContainer; }

 private:
  std::string path_;
  container::StoreMode mode_;
  container::TAbstractPlainFileSystem* store_;
  bool owned_ = false;
};

// A read-only dataset on TABLE of DB, open.
void OpenTable(TCvDataset& dataset, const std::string& db, const std::string& table) {
  CheckDatabaseExists(db);
  if (IsDirectory(db)) {
    dataset.SetDatabaseName(db);
  } else {
    dataset.SetDatabaseFileName(db);
  }
  dataset.SetTableName(table);
  dataset.SetReadOnly(true);
  dataset.Open();
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

// One value of a dump line: "\N" for null, binary values in hex, text with
// backslash, tab and line breaks escaped.
std::string DumpValue(table::TField field) {
  if (field.IsNull()) return "\\N";
  const std::string value = field.AsString();
  const FieldType type = field.DataType();
  if (type == FieldType::ftBytes || type == FieldType::ftBlob || type == FieldType::ftGraphic) return Hex(value);
  std::string escaped;
  for (char c : value) {
    switch (c) {
      case '\\': escaped += "\\\\"; break;
      case '\t': escaped += "\\t"; break;
      case '\n': escaped += "\\n"; break;
      case '\r': escaped += "\\r"; break;
      default: escaped += c;
    }
  }
  return ToUtf8(escaped);
}

void WriteRow(TCvDataset& dataset, std::ostream& out) {
  for (int i = 0; i < dataset.FieldCount(); ++i) out << (i ? "\t" : "") << DumpValue(dataset.Fields(i));
  out << "\n";
}

void WriteHeading(TCvDataset& dataset, std::ostream& out) {
  for (int i = 0; i < dataset.FieldCount(); ++i) out << (i ? "\t" : "") << ToUtf8(dataset.Fields(i).FieldName());
  out << "\n";
}

int32_t HeaderCount(container::TAbstractPlainFileSystem& store, const std::string& table) {
  container::TAbstractFile* file = store.OpenFile(table + ".dat", false, false, true);
  uint8_t n[4] = {};
  file->SetPosition(32);
  const int64_t read = file->Read(n, 4);
  store.CloseFile(file);
  if (read != 4) return -1;
  return platform::GetI32(n);
}

void Tables(const DbArgs& a, std::ostream& out) {
  DirectStore store(a.operands[0]);
  std::vector<std::string> names;
  (*store).ListFiles(".dat", names);
  for (const std::string& name : names) {
    const int32_t count = HeaderCount(*store, name);
    out << ToUtf8(name) << "\t" << (count < 0 ? std::string("damaged header") : std::to_string(count) + " records")
        << "\n";
  }
}

std::string IndexFlags(uint8_t options) {
  static const std::pair<uint8_t, const char*> kFlags[] = {
      {table::ixPrimary, "primary"},          {table::ixUnique, "unique"},
      {table::ixDescending, "descending"},    {table::ixCaseInsensitive, "case-insensitive"},
      {table::ixExpression, "expression"},    {table::ixNonMaintained, "not-maintained"}};
  std::string flags;
  for (const auto& [bit, name] : kFlags) {
    if (!(options & bit)) continue;
    if (!flags.empty()) flags += ',';
    flags += name;
  }
  return flags;
}

void Schema(const DbArgs& a, std::ostream& out) {
  TCvDataset dataset;
  OpenTable(dataset, a.operands[0], a.operands[1]);
  table::TCvDataManager& data = *dataset.DataManager();
  const table::RecordLayout& layout = data.Layout();
  out << "table " << ToUtf8(data.TableName()) << ": " << data.RecordCount() << " records, version " << std::fixed
      << std::setprecision(2) << data.Version() << ", last identifier " << data.LastId() << ", change counter "
      << data.ChangeCounter() << ", slot " << layout.slot_size << " bytes\n";
  out << "fields:\n";
  for (const table::FieldHeader& f : layout.fields) {
    out << "  " << std::left << std::setw(20) << ToUtf8(f.name) << std::setw(14) << table::FieldTypeName(f.type)
        << "size " << std::setw(6) << table::DefinitionSize(f.type, f.width) << "width " << std::setw(6) << f.width
        << "offset " << f.offset << (f.required ? "  required" : "") << "\n";
  }
  out << "  " << std::setw(20) << ToUtf8(data.IdFieldName()) << std::setw(14) << "ftAutoInc"
      << "record identifier\n";
  out << "indexes:\n";
  table::TableIndexes& indexes = data.Indexes();
  for (int i = 0; i < indexes.Count(); ++i) {
    const table::IndexHeader& h = indexes.Header(i);
    std::string fields;
    for (std::size_t k = 0; k < h.fields.size(); ++k) {
      const std::string name = h.fields[k] < 0 ? data.IdFieldName() : layout.fields[static_cast<std::size_t>(h.fields[k])].name;
      if (k > 0) fields += ';';
      fields += ToUtf8(name);
      if (!h.all_descending && !h.ascending[k]) fields += " desc";
      if (!h.all_case_insensitive && h.case_insensitive[k]) fields += " ci";
    }
    std::ostringstream line;
    line << "  " << std::left << std::setw(20) << ToUtf8(h.name) << std::setw(24) << fields << IndexFlags(h.options);
    std::string text = line.str();
    text.erase(text.find_last_not_of(' ') + 1);
    out << text << "\n";
  }
}

// Runs `action`, passing on the engine's failures with their messages in
// UTF-8: they quote the expression, which is code page 1254 inside.
template <typename Action>
auto WithUtf8Messages(Action&& action) {
  try {
    return action();
  } catch (const Error& e) {
    throw Error(ToUtf8(e.what()));
  }
}

void Dump(const DbArgs& a, std::ostream& out) {
  TCvDataset dataset;
  OpenTable(dataset, a.operands[0], a.operands[1]);
  if (!a.index.empty()) dataset.SetIndexName(FromUtf8(a.index));
  if (a.filter) {
    // Filtered evaluates the expression at once: a failure leaves stdout empty.
    WithUtf8Messages([&] {
      dataset.SetFilterOptions(a.filter_options.value_or(0));
      dataset.SetFilter(FromUtf8(*a.filter));
      dataset.SetFiltered(true);
    });
  }
  WriteHeading(dataset, out);
  long long written = 0;
  for (dataset.First(); !dataset.Eof() && (a.limit < 0 || written < a.limit); dataset.Next(), ++written) {
    WriteRow(dataset, out);
  }
}

void Find(const DbArgs& a, std::ostream& out) {
  TCvDataset dataset;
  OpenTable(dataset, a.operands[0], a.operands[1]);
  if (!a.index.empty()) dataset.SetIndexName(FromUtf8(a.index));
  dataset.SetFilter(FromUtf8(a.operands[2]));
  const bool found = WithUtf8Messages([&] { return a.last ? dataset.FindLast() : dataset.FindFirst(); });
  WriteHeading(dataset, out);
  if (found) WriteRow(dataset, out);
}

int Locate(const DbArgs& a, std::ostream& out, std::ostream& err) {
  TCvDataset dataset;
  OpenTable(dataset, a.operands[0], a.operands[1]);
  table::TLocateOptions options = 0;
  if (a.case_insensitive) options |= table::loCaseInsensitive;
  if (a.partial) options |= table::loPartialKey;
  if (!dataset.Locate(FromUtf8(a.operands[2]), table::Variant(FromUtf8(a.operands[3])), options)) {
    err << "corvane: " << a.operands[1] << ": no record with " << a.operands[2] << " = " << a.operands[3] << "\n";
    return kExitFailure;
  }
  WriteHeading(dataset, out);
  WriteRow(dataset, out);
  return kExitOk;
}

int Check(const DbArgs& a, std::ostream& out, std::ostream& err) {
  const std::string& db = a.operands[0];
  std::vector<std::string> problems;
  std::vector<std::string> names;
  // Which order the indexes were checked in: the one each file records, so
  // that a table built under another locale is not reported out of order.
  std::string collations;
  {
    DirectStore store(db);
    if (a.operands.size() > 1) {
      names.push_back(FromUtf8(a.operands[1]));
    } else {
      (*store).ListFiles(".dat", names);
    }
    for (const std::string& name : names) {
      const table::Collation* checked_by = nullptr;
      for (const std::string& p : table::CheckTable(*store, name, table::Collation::User(), &checked_by)) {
        problems.push_back(ToUtf8(p));
      }
      const std::string collation = checked_by->Name();
      if (collations.find(collation) == std::string::npos) collations += (collations.empty() ? "" : ", ") + collation;
    }
  }
  if (!IsDirectory(db)) {
    for (const std::string& p : container::CheckContainer(db)) problems.push_back(p);
  }
  const std::string order = collations.empty() ? "" : ", indexes in " + collations + " order";
  for (const std::string& p : problems) err << db << ": " << p << "\n";
  if (!problems.empty()) {
    if (!order.empty()) err << db << ": checked" << order << "\n";
    return kExitFailure;
  }
  out << db << ": ok (" << names.size() << (names.size() == 1 ? " table" : " tables") << order << ")\n";
  return kExitOk;
}

}  // namespace

int RunDb(const std::vector<std::string>& args, std::istream& /*in*/, std::ostream& out, std::ostream& err) {
  const DbArgs a = ParseArgs(args);
  int status = kExitOk;
  if (a.action == "tables") {
    Tables(a, out);
  } else if (a.action == "schema") {
    Schema(a, out);
  } else if (a.action == "dump") {
    Dump(a, out);
  } else if (a.action == "find") {
    Find(a, out);
  } else if (a.action == "locate") {
    status = Locate(a, out, err);
  } else {
    status = Check(a, out, err);
  }
  out.flush();
  return status;
}

}  // namespace corvane::cli
