#include "RebuiltTables.h"

namespace kavel {

TableDecl PeopleTable(const std::string& name, const std::string& codeType, bool keyed) {
    return {name,
            {{"pe_code", codeType, "NOT NULL", "''"}, {"pe_name", "char(40)", "", "''"}},
            keyed ? "pe_code" : ""};
}

TableDecl BarcodeTable(const std::string& name, const std::string& width) {
    return {name,
            {{"tm_barcode", "char(" + width + ")", "NOT NULL", ""},
             {"tm_mark", "char(1)", "", "'0'"},
             {"tm_no", "int", "NOT NULL", ""},
             {"tm_logdate", "datetime", "", "getdate()"},
             {"tm_enddate", "datetime", "", "getdate()"}},
            ""};
}

SqlLines BarcodeCopyOut() {
    return {"insert into lib_tiaoma_tmp(tm_barcode,tm_mark,tm_no,tm_logdate,tm_enddate)",
            "select tm_barcode,tm_mark,tm_no,tm_logdate,tm_enddate from lib_tiaoma "};
}

SqlLines BarcodeCopyBack() {
    return {"insert into lib_tiaoma(tm_barcode,tm_mark,tm_no,tm_logdate,tm_enddate)",
            "select tm_barcode,tm_mark,tm_no,tm_logdate,tm_enddate from lib_tiaoma_tmp "};
}

}  // namespace kavel
