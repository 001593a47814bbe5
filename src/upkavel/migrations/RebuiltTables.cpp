#include "RebuiltTables.h"

namespace kavel {

TableDecl PeopleTable(const std::string& name, const std::string& codeType, bool keyed) {
    return {name,
            {Column("pe_code", codeType).NotNull().Default("''"),
             Column("pe_name", "char(40)").Default("''")},
            keyed ? "pe_code" : ""};
}

TableDecl BarcodeTable(const std::string& name, const std::string& width) {
    return {name,
            {Column("tm_barcode", "char(" + width + ")").NotNull(),
             Column("tm_mark", "char(1)").Default("'0'"), Column("tm_no", "int").NotNull(),
             Column("tm_logdate", "datetime").Default("getdate()"),
             Column("tm_enddate", "datetime").Default("getdate()")},
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
