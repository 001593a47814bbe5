#include "catalog/SystemTables.h"

#include <utility>

#include "Cp936.h"
#include "types/Collation.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

const SqlType kInt = MakeType(TypeId::Int);
const SqlType kSmall = MakeType(TypeId::SmallInt);
const SqlType kTiny = MakeType(TypeId::TinyInt);
const SqlType kName = MakeType(TypeId::VarChar, 128);
const SqlType kType2 = MakeType(TypeId::Char, 2);
const SqlType kDate = MakeType(TypeId::DateTime);

void AddColumn(Table& t, const char* name, SqlType type, bool nullable = false) {
    Column c;
    c.name = name;
    c.type = type;
    c.nullable = nullable;
    c.colid = t.nextColid++;
    t.columns.push_back(c);
}

Value Text(const std::string& utf8) { return kavel::Utf8ToCp936Lossy(utf8); }
Value Int(std::int64_t v) { return v; }
Value Code2(const char* code) {
    std::string s = code;
    s.resize(2, ' ');
    return s;
}

std::unique_ptr<Table> SysObjects(const Catalogue& cat) {
    auto t = std::make_unique<Table>();
    t->id = kSysObjectsId;
    t->name = "sysobjects";
    for (auto [n, ty] : {std::pair{"name", kName},   {"id", kInt},
                         {"xtype", kType2},          {"uid", kSmall},
                         {"info", kSmall},           {"status", kInt},
                         {"base_schema_ver", kInt},  {"replinfo", kInt},
                         {"parent_obj", kInt},       {"crdate", kDate},
                         {"ftcatid", kSmall},        {"schema_ver", kInt},
                         {"stats_schema_ver", kInt}, {"type", kType2},
                         {"userstat", kSmall},       {"sysstat", kSmall},
                         {"indexdel", kSmall},       {"refdate", kDate},
                         {"version", kInt},          {"deltrig", kInt},
                         {"instrig", kInt},          {"updtrig", kInt},
                         {"seltrig", kInt},          {"category", kInt},
                         {"cache", kSmall}})
        AddColumn(*t, n, ty);
    auto add = [&](const std::string& name, int id, const char* xtype, const char* type, int parent,
                   DateTime crdate, int sysstat) {
        Row r{Text(name),   Int(id), Code2(xtype), Int(1),      Int(0),
              Int(0),       Int(0),  Int(0),       Int(parent), crdate,
              Int(0),       Int(0),  Int(0),       Code2(type), Int(xtype[0] == 'U' ? 1 : 0),
              Int(sysstat), Int(0),  crdate,       Int(0),      Int(0),
              Int(0),       Int(0),  Int(0),       Int(0),      Int(0)};
        t->store.Insert(std::move(r));
    };
    DateTime origin;
    add("sysobjects", kSysObjectsId, "S", "S", 0, origin, 113);
    add("sysindexes", kSysIndexesId, "S", "S", 0, origin, 113);
    add("syscolumns", kSysColumnsId, "S", "S", 0, origin, 113);
    // systypes, sysindexkeys and syscomments are not listed: on SQL Server since 2005 they are
    // compatibility views, not system tables.
    for (const Table* tab : cat.Tables()) {
        add(tab->name, tab->id, "U", "U", 0, tab->created, 3);
        for (auto& ix : tab->indexes)
            if (ix.constraintId != 0)
                add(ix.name, ix.constraintId, ix.primaryKey ? "PK" : "UQ", "K", tab->id, ix.created,
                    ix.primaryKey ? 9 : 10);
        for (auto& d : tab->defaults) add(d.name, d.id, "D", "D", tab->id, d.created, 14);
    }
    return t;
}

// xprec and xscale of a column type as SQL Server 2000 stores them (0 where it has none).
std::pair<int, int> StoredPrecisionAndScale(const SqlType& ty) {
    switch (ty.id) {
        case TypeId::Numeric:
        case TypeId::Decimal:
            return {ty.precision, ty.scale};
        case TypeId::DateTime:
            return {23, 3};
        case TypeId::Int:
            return {10, 0};
        case TypeId::SmallInt:
            return {5, 0};
        case TypeId::TinyInt:
            return {3, 0};
        case TypeId::Bit:
            return {1, 0};
        default:
            return {0, 0};
    }
}

// The syscolumns row of one column of a table.
Row SysColumnsRow(const Table& tab, const Column& c) {
    const SqlType& ty = c.type;
    bool text = IsTextType(ty.id);
    int code = SystemTypeCode(ty.id);
    auto [xprec, xscale] = StoredPrecisionAndScale(ty);
    Value prec, scale;
    if (text) {
        prec = Int(ty.id == TypeId::Text ? 0 : ty.length);
    } else {
        prec = Int(xprec);
        scale = Int(xscale);
    }
    int status = (c.nullable ? 0x08 : 0) | (c.identity ? 0x80 : 0);
    Row r{Text(c.name),
          Int(tab.id),
          Int(code),
          Int(0),
          Int(code),
          Int(StorageLength(ty)),
          Int(xprec),
          Int(xscale),
          Int(c.colid),
          Int(0),
          Int(0),
          Int(0),
          Int(c.identity ? 1 : 0),
          Int(c.defaultId),
          Int(0),
          Int(0),
          Int(c.colid),
          Int(0),
          text ? Int(53284) : Value{},
          Int(status),
          Int(0),
          Int(0),
          prec,
          scale,
          Int(0),
          Int(0),
          Int(c.nullable ? 1 : 0),
          text ? Text("Chinese_PRC_CI_AS") : Value{}};
    return r;
}

std::unique_ptr<Table> SysColumns(const Catalogue& cat) {
    auto t = std::make_unique<Table>();
    t->id = kSysColumnsId;
    t->name = "syscolumns";
    for (auto [n, ty, nullable] : {std::tuple{"name", kName, true}, {"id", kInt, false},
                                   {"xtype", kTiny, false},         {"typestat", kTiny, false},
                                   {"xusertype", kSmall, false},    {"length", kSmall, false},
                                   {"xprec", kTiny, false},         {"xscale", kTiny, false},
                                   {"colid", kSmall, false},        {"xoffset", kSmall, false},
                                   {"bitpos", kTiny, false},        {"reserved", kTiny, false},
                                   {"colstat", kSmall, false},      {"cdefault", kInt, false},
                                   {"domain", kInt, false},         {"number", kSmall, false},
                                   {"colorder", kSmall, false},     {"offset", kSmall, false},
                                   {"collationid", kInt, true},     {"status", kTiny, false},
                                   {"type", kTiny, false},          {"usertype", kSmall, false},
                                   {"prec", kSmall, true},          {"scale", kInt, true},
                                   {"iscomputed", kInt, false},     {"isoutparam", kInt, false},
                                   {"isnullable", kInt, false},     {"collation", kName, true}})
        AddColumn(*t, n, ty, nullable);
    for (const Table* tab : cat.Tables())
        for (const Column& c : tab->columns) t->store.Insert(SysColumnsRow(*tab, c));
    return t;
}

std::unique_ptr<Table> SysIndexes(const Catalogue& cat) {
    auto t = std::make_unique<Table>();
    t->id = kSysIndexesId;
    t->name = "sysindexes";
    for (auto [n, ty, nullable] : {std::tuple{"id", kInt, false},
                                   {"status", kInt, false},
                                   {"indid", kSmall, false},
                                   {"keycnt", kSmall, false},
                                   {"groupid", kSmall, false},
                                   {"dpages", kInt, false},
                                   {"reserved", kInt, false},
                                   {"used", kInt, false},
                                   {"rowcnt", kInt, false},
                                   {"rowmodctr", kInt, false},
                                   {"OrigFillFactor", kTiny, false},
                                   {"name", kName, true},
                                   {"rows", kInt, false}})
        AddColumn(*t, n, ty, nullable);
    for (const Table* tab : cat.Tables()) {
        auto rows = static_cast<std::int64_t>(tab->store.Count());
        bool clustered = false;
        for (auto& ix : tab->indexes) clustered = clustered || ix.clustered;
        if (!clustered)
            t->store.Insert(Row{Int(tab->id), Int(0), Int(0), Int(0), Int(1), Int(0), Int(0),
                                Int(0), Int(rows), Int(0), Int(0), Value{}, Int(rows)});
        for (auto& ix : tab->indexes) {
            int status = (ix.unique ? 2 : 0) | (ix.primaryKey ? 2048 : 0) |
                         (ix.constraintId && !ix.primaryKey ? 4096 : 0);
            t->store.Insert(Row{Int(tab->id), Int(status), Int(ix.indid),
                                Int(static_cast<std::int64_t>(ix.columns.size())), Int(1), Int(0),
                                Int(0), Int(0), Int(rows), Int(0), Int(ix.fillFactor),
                                Text(ix.name), Int(rows)});
        }
    }
    return t;
}

// One row per data type the engine has, with SQL Server's values for the system types.
std::unique_ptr<Table> SysTypes() {
    auto t = std::make_unique<Table>();
    t->id = kSysTypesId;
    t->name = "systypes";
    const SqlType kBit = MakeType(TypeId::Bit);
    for (auto [n, ty, nullable] : {std::tuple{"name", kName, false},
                                   {"xtype", kTiny, false},
                                   {"status", kTiny, false},
                                   {"xusertype", kSmall, false},
                                   {"length", kSmall, false},
                                   {"xprec", kTiny, false},
                                   {"xscale", kTiny, false},
                                   {"tdefault", kInt, false},
                                   {"domain", kInt, false},
                                   {"uid", kSmall, false},
                                   {"reserved", kSmall, false},
                                   {"collationid", kInt, true},
                                   {"usertype", kSmall, false},
                                   {"variable", kBit, false},
                                   {"allownulls", kBit, false},
                                   {"type", kTiny, false},
                                   {"printfmt", MakeType(TypeId::VarChar, 255), true},
                                   {"prec", kSmall, true},
                                   {"scale", kTiny, true},
                                   {"collation", kName, true}})
        AddColumn(*t, n, ty, nullable);
    struct SystemType {
        const char* name;
        TypeId id;
        int length, xprec, xscale, usertype, type;
        bool variable;
    };
    // usertype and type are the codes of SQL Server's older catalogue, still answered.
    static constexpr SystemType kTypes[] = {
        {"text", TypeId::Text, 16, 0, 0, 19, 35, false},
        {"tinyint", TypeId::TinyInt, 1, 3, 0, 5, 48, false},
        {"smallint", TypeId::SmallInt, 2, 5, 0, 6, 52, false},
        {"int", TypeId::Int, 4, 10, 0, 7, 56, false},
        {"datetime", TypeId::DateTime, 8, 23, 3, 12, 61, false},
        {"bit", TypeId::Bit, 1, 1, 0, 16, 50, false},
        {"decimal", TypeId::Decimal, 17, 38, 38, 24, 55, false},
        {"numeric", TypeId::Numeric, 17, 38, 38, 10, 63, false},
        {"varchar", TypeId::VarChar, 8000, 0, 0, 2, 39, true},
        {"char", TypeId::Char, 8000, 0, 0, 1, 47, false},
    };
    for (const SystemType& st : kTypes) {
        const bool text = IsTextType(st.id);
        const int code = SystemTypeCode(st.id);
        const Value prec = Int(st.id == TypeId::Text ? 2147483647 : text ? st.length : st.xprec);
        t->store.Insert(Row{Text(st.name),
                            Int(code),
                            Int(0),
                            Int(code),
                            Int(st.length),
                            Int(st.xprec),
                            Int(st.xscale),
                            Int(0),
                            Int(0),
                            Int(4),
                            Int(0),
                            text ? Int(53284) : Value{},
                            Int(st.usertype),
                            Int(st.variable ? 1 : 0),
                            Int(1),
                            Int(st.type),
                            Value{},
                            prec,
                            text ? Value{} : Int(st.xscale),
                            text ? Text("Chinese_PRC_CI_AS") : Value{}});
    }
    return t;
}

// One row per key column of every index, keyno counting from 1 in the index's column order.
std::unique_ptr<Table> SysIndexKeys(const Catalogue& cat) {
    auto t = std::make_unique<Table>();
    t->id = kSysIndexKeysId;
    t->name = "sysindexkeys";
    for (auto [n, ty] :
         {std::pair{"id", kInt}, {"indid", kSmall}, {"colid", kSmall}, {"keyno", kSmall}})
        AddColumn(*t, n, ty);
    for (const Table* tab : cat.Tables())
        for (const IndexDef& ix : tab->indexes) {
            const std::vector<int> positions = tab->ColumnPositions(ix);
            for (std::size_t k = 0; k < positions.size(); ++k)
                t->store.Insert(Row{Int(tab->id), Int(ix.indid),
                                    Int(tab->columns[static_cast<std::size_t>(positions[k])].colid),
                                    Int(static_cast<std::int64_t>(k + 1))});
        }
    return t;
}

// The text of a default as SQL Server keeps it: the expression in one pair of parentheses.
std::string StoredDefaultText(const std::string& written) {
    if (written.size() >= 2 && written.front() == '(' && written.back() == ')') {
        // "(a) + (b)" starts and ends with a parenthesis without being enclosed by one pair.
        int depth = 0;
        bool quoted = false;
        for (std::size_t i = 0; i < written.size(); ++i) {
            const char c = written[i];
            if (c == '\'') quoted = !quoted;
            if (quoted) continue;
            if (c == '(') ++depth;
            if (c == ')' && --depth == 0 && i + 1 < written.size()) return "(" + written + ")";
        }
        return written;
    }
    return "(" + written + ")";
}

// One row per default constraint, holding its expression's text.
std::unique_ptr<Table> SysComments(const Catalogue& cat) {
    auto t = std::make_unique<Table>();
    t->id = kSysCommentsId;
    t->name = "syscomments";
    const SqlType kBit = MakeType(TypeId::Bit);
    for (auto [n, ty, nullable] : {std::tuple{"id", kInt, false},
                                   {"number", kSmall, false},
                                   {"colid", kSmall, false},
                                   {"status", kSmall, false},
                                   {"texttype", kSmall, true},
                                   {"language", kSmall, true},
                                   {"encrypted", kBit, false},
                                   {"compressed", kBit, false},
                                   {"text", MakeType(TypeId::VarChar, 4000), true}})
        AddColumn(*t, n, ty, nullable);
    for (const Table* tab : cat.Tables())
        for (const DefaultConstraint& d : tab->defaults)
            t->store.Insert(Row{Int(d.id), Int(0), Int(1), Int(0), Int(0), Int(0), Int(0), Int(0),
                                Text(StoredDefaultText(d.exprText))});
    return t;
}

}  // namespace

std::unique_ptr<Table> MaterializeSystemTable(std::string_view name, const Catalogue& catalogue) {
    if (SameName(name, "sysobjects")) return SysObjects(catalogue);
    if (SameName(name, "syscolumns")) return SysColumns(catalogue);
    if (SameName(name, "sysindexes")) return SysIndexes(catalogue);
    if (SameName(name, "systypes")) return SysTypes();
    if (SameName(name, "sysindexkeys")) return SysIndexKeys(catalogue);
    if (SameName(name, "syscomments")) return SysComments(catalogue);
    return nullptr;
}

}  // namespace standin
