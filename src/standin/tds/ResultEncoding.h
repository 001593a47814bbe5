#pragma once
// A result set as SQL Server sends it: COLMETADATA, then one ROW token per row. Column types:
// char BIGCHAR and varchar BIGVARCHAR with the database collation, text TEXT, int/smallint/
// tinyint INTN, bit BITN, numeric/decimal NUMERICN/DECIMALN, datetime DATETIMN. Text values are
// sent as the CP936 bytes the engine holds, char values with their trailing blanks.

#include <stdexcept>

#include "Engine.h"
#include "WireBuffer.h"

namespace standin::tds {

// A value that cannot be sent as its column's type (an engine fault). Nothing of the result set
// has been written to the reply when this is thrown, because the caller encodes into a scratch
// buffer first.
class EncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void WriteResultSet(WireWriter& out, const ResultSet& resultSet);

}  // namespace standin::tds
