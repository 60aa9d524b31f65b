// Consistency checks of a table's files, read directly from a file store
// without opening the table through the engine (which would repair what it
// can: cut a torn tail, rebuild stale indexes).
//
// Checked: the ".dat" header and field slots (type codes, widths, names,
// format version), the record count against the file size (D + N * S
// bytes), record identifiers (between 1 and the last assigned one, none
// twice), the BLOB files when BLOB fields exist, and the ".idx" file: its
// header and index headers, the change counter it was saved at, and that
// every index array is a permutation of 0 .. N-1 in order under the
// collation (record_layout.h and table_indexes.h give the layouts).
#ifndef CORVANE_TABLE_TABLE_CHECK_H_
#define CORVANE_TABLE_TABLE_CHECK_H_

#include <string>
#include <vector>

namespace corvane::container {
class TAbstractPlainFileSystem;
}

namespace corvane::table {

class Collation;

// One line per problem, each beginning with the file's name; empty when the
// table is sound. Index order is checked under the collation the ".idx"
// file records it was sorted by when that is a locale's collation (a table
// built under another locale is not out of order), else under `collation`;
// `checked_by`, when given, receives the one used.
std::vector<std::string> CheckTable(container::TAbstractPlainFileSystem& store, const std::string& table,
                                    const Collation& collation, const Collation** checked_by = nullptr);

}  // namespace corvane::table

#endif  // CORVANE_TABLE_TABLE_CHECK_H_
