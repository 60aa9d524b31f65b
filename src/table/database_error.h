// DatabaseError: the one failure of the table engine that callers must tell
// from the others: a posted record whose key another record already holds
// in a unique index. Every other engine failure is a plain corvane::Error.
#ifndef CORVANE_TABLE_DATABASE_ERROR_H_
#define CORVANE_TABLE_DATABASE_ERROR_H_

#include "platform/error.h"

namespace corvane::table {

class DatabaseError : public corvane::Error {
 public:
  using corvane::Error::Error;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_DATABASE_ERROR_H_
