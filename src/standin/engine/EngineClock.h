#pragma once
// getdate(): the local wall-clock time as a SQL Server datetime, rounded to the nearest 1/300 s.

#include <chrono>

#include "types/Value.h"

namespace standin {

DateTime ToSqlDateTime(std::chrono::system_clock::time_point time);
DateTime CurrentSqlDateTime();

}  // namespace standin
