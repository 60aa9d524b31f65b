// Field and index definitions of a dataset: what CreateTable builds a table
// from, and what an open table reports about itself.
//
// Before a table is created the caller fills FieldDefs (name, type, size,
// required flag) and IndexDefs (name, field list, options, descending and
// case-insensitive field lists). When a table is opened its FieldDefs are
// rebuilt from the stored field headers: the stored fields in their order,
// then the record identifier as ftAutoInc.
//
// Field lists are names separated by ";" or ","; each item is trimmed of
// blanks and empty items are dropped, so "NWORD; HWORD," names two fields.
// Names are compared ignoring the case of A-Z.
#ifndef CORVANE_TABLE_FIELD_DEFS_H_
#define CORVANE_TABLE_FIELD_DEFS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "container/pattern_match.h"
#include "table/field_types.h"

namespace corvane::table {

// A set of IndexOption bits (ixPrimary | ixUnique | ixDescending | ixCaseInsensitive).
using TIndexOptions = unsigned;

struct TFieldDef {
  std::string name;
  FieldType type = FieldType::ftUnknown;
  int32_t size = 0;
  bool required = false;
};

struct TIndexDef {
  std::string name;
  std::string fields;                   // "F1;F2"
  TIndexOptions options = 0;
  std::string descending_fields;        // fields sorted descending in an ascending index
  std::string case_insensitive_fields;  // string fields compared without case

  bool Has(IndexOption option) const { return (options & option) != 0; }
};

class TFieldDefs {
 public:
  void Clear() { items_.clear(); }
  void Add(const std::string& name, FieldType type, int32_t size = 0, bool required = false);
  void Add(const TFieldDef& def) { items_.push_back(def); }
  int Count() const { return static_cast<int>(items_.size()); }
  const TFieldDef& operator[](int i) const { return items_.at(static_cast<std::size_t>(i)); }
  TFieldDef& operator[](int i) { return items_.at(static_cast<std::size_t>(i)); }
  // Position of the definition named `name`, or -1.
  int IndexOf(std::string_view name) const;
  const std::vector<TFieldDef>& Items() const { return items_; }

 private:
  std::vector<TFieldDef> items_;
};

class TIndexDefs {
 public:
  void Clear() { items_.clear(); }
  void Add(const std::string& name, const std::string& fields, TIndexOptions options = 0);
  void Add(const TIndexDef& def) { items_.push_back(def); }
  int Count() const { return static_cast<int>(items_.size()); }
  const TIndexDef& operator[](int i) const { return items_.at(static_cast<std::size_t>(i)); }
  TIndexDef& operator[](int i) { return items_.at(static_cast<std::size_t>(i)); }
  int IndexOf(std::string_view name) const;
  const std::vector<TIndexDef>& Items() const { return items_; }

 private:
  std::vector<TIndexDef> items_;
};

// "a; b,c" -> {"a", "b", "c"}.
std::vector<std::string> SplitFieldList(std::string_view list);

// Names compare ignoring the case of A-Z in every registry and lookup of
// the engine, as the file stores compare file names.
using container::SameName;

// "ftString", "ftAutoInc", ...; "ftUnknown" for codes without a name.
const char* FieldTypeName(FieldType type);

}  // namespace corvane::table

#endif  // CORVANE_TABLE_FIELD_DEFS_H_
