#pragma once
// The two tables the upgrade rebuilds through a work table (copy the rows out, drop, create
// wider, add the key, copy the rows back, drop the work table), declared once for the steps that
// rebuild them and for the recovery that finishes a rebuild an interruption left half done.

#include <string>

#include "SqlLines.h"
#include "TableDecl.h"

namespace kavel {

// lib_people and its work table lib_peopletmp: code then name, in this order, because both
// copies between them use "select *". `codeType` is "char(6)", "char(9)" or "char(12)".
TableDecl PeopleTable(const std::string& name, const std::string& codeType, bool keyed);
inline constexpr const char* kPeopleCopyOut = "insert into lib_peopletmp select * from lib_people";
inline constexpr const char* kPeopleCopyBack = "insert into lib_people select * from lib_peopletmp";

// The barcode register lib_tiaoma and its work table lib_tiaoma_tmp with a barcode of `width`
// bytes. The key goes on by a one-line statement of its own, so the declaration carries none.
TableDecl BarcodeTable(const std::string& name, const std::string& width);
inline constexpr const char* kBarcodeKey =
    "ALTER TABLE lib_tiaoma ADD CONSTRAINT PK_lib_tiaoma PRIMARY KEY NONCLUSTERED(tm_barcode)";
inline constexpr const char* kBarcodeIndex =
    "create index PK_lib_tiaoma_code on lib_tiaoma(tm_no) WITH PAD_INDEX,FILLFACTOR=85";
// The copies name the five columns, so any further column of lib_tiaoma stays behind.
SqlLines BarcodeCopyOut();
SqlLines BarcodeCopyBack();

}  // namespace kavel
