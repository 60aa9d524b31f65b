// Whether one record satisfies one search condition: the single test behind
// the record-by-record filter evaluation (TSearchParser) and the candidate
// check of Locate (TableIndexes::IsRecordMatches).
//
// The answer agrees with the index runs of GetMatchedRecordsArray, so that a
// filter gives the same records whether a condition is answered by an index,
// by a scan or for one record:
//   - "is null" holds exactly when the field's null flag is set; the
//     identifier (field -1) is never null;
//   - a comparison whose value is null holds for no record (the filter
//     parser turns a value that converts to empty into a null test first);
//   - otherwise the record's field is compared with the value by the key
//     comparison of the indexes: empty values sort first, so "<" holds for
//     the empty fields too;
//   - "like" reads an empty field as empty text.
#ifndef CORVANE_TABLE_RECORD_MATCH_H_
#define CORVANE_TABLE_RECORD_MATCH_H_

#include <cstdint>

#include "table/collation.h"
#include "table/like_pattern.h"
#include "table/record_bits.h"
#include "table/record_layout.h"
#include "table/table_indexes.h"

namespace corvane::table {

// `like` is the condition's pattern prepared once by the caller; when null,
// a "like" condition's pattern is read from its value buffer. The condition
// must name a field of `layout` and carry a slot-sized value unless it tests
// the null flag: anything else, and an unknown operator, raises
// "TCvDataSet.IsRecordMatches - Unsupported search operation in
// TCvDataSet.IsRecordMatches".
bool RecordMatches(const RecordLayout& layout, const Collation& collation, const SearchCondition& condition,
                   const LikePattern* like, const uint8_t* slot);

// Sets the bits of the records of `records` (as many as `bits` counts) that
// satisfy the condition, reading each: for the conditions no index answers.
void SelectMatchingRecords(const RecordLayout& layout, const Collation& collation, const SearchCondition& condition,
                           const LikePattern* like, RecordSource& records, RecordBits& bits);

}  // namespace corvane::table

#endif  // CORVANE_TABLE_RECORD_MATCH_H_
