#include "clone/CatalogueReader.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "types/Collation.h"

namespace standin::clone {
namespace {

// The types the stand-in can hold, by SQL Server's system type name.
bool EngineHasType(const std::string& type) {
    for (const char* t : {"char", "varchar", "text", "int", "smallint", "tinyint", "bit", "numeric",
                          "decimal", "datetime"})
        if (type == t) return true;
    return false;
}

// What one sysobjects type code is, for the list of what the copy lacks.
std::string ObjectKind(const std::string& xtype) {
    static const std::map<std::string, std::string> kinds = {
        {"V", "view"},
        {"P", "procedure"},
        {"TR", "trigger"},
        {"F", "foreign key"},
        {"C", "check constraint"},
        {"FN", "function"},
        {"IF", "function"},
        {"TF", "function"},
        {"R", "rule"},
        {"X", "extended procedure"},
        {"RF", "replication filter procedure"},
        {"TT", "table type"},
        {"SN", "synonym"},
        {"SQ", "service queue"},
        {"PC", "assembly procedure"},
        {"FS", "assembly function"},
        {"FT", "assembly function"},
        {"TA", "assembly trigger"},
        {"AF", "aggregate function"},
        {"IT", "internal table"},
    };
    auto it = kinds.find(xtype);
    return it == kinds.end() ? "object of type " + xtype : it->second;
}

class Rows {
public:
    Rows(const QueryText& query, const std::string& sql, std::size_t columns)
        : rows_(query(sql)), sql_(sql) {
        for (const auto& r : rows_)
            if (r.size() != columns)
                throw std::runtime_error("the catalogue query gave " + std::to_string(r.size()) +
                                         " columns where " + std::to_string(columns) +
                                         " were asked for: " + sql);
    }
    const TextRows& All() const { return rows_; }

    static std::string Text(const std::optional<std::string>& v) {
        std::string s = v.value_or("");
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }
    long long Number(const std::optional<std::string>& v) const {
        if (!v) return 0;
        try {
            std::size_t used = 0;
            const long long n = std::stoll(*v, &used);
            // "12.0000" from a numeric(38,0) read as text is still a whole number.
            if (used < v->size() && (*v)[used] != '.') throw std::invalid_argument(*v);
            return n;
        } catch (const std::exception&) {
            throw std::runtime_error("the catalogue query gave '" + *v +
                                     "' where a number was expected: " + sql_);
        }
    }

private:
    TextRows rows_;
    std::string sql_;
};

struct ObjectRow {
    std::string name;
    long long id;
    std::string xtype;
    long long parent;
};

}  // namespace

std::string Bracketed(const std::string& name) {
    std::string out = "[";
    for (char c : name) {
        out += c;
        if (c == ']') out += ']';
    }
    return out + "]";
}

std::string SingleQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

namespace {

// One pass over the catalogue views, in the order their answers depend on each other: objects
// (which tables there are), types, default texts, columns, index keys, indexes, then per table
// its row count and identity.
class CatalogueReading {
public:
    explicit CatalogueReading(const QueryText& query) : query_(query) {}

    SourceCatalogue Run() {
        ReadObjects();
        ReadTypes();
        ReadComments();
        ReadColumns();
        ReadIndexes();
        for (SourceTable& t : cat_.tables) FinishTable(t);
        return std::move(cat_);
    }

private:
    SourceTable* TableOf(long long id) {
        auto it = tableIndex_.find(id);
        return it == tableIndex_.end() ? nullptr : &cat_.tables[it->second];
    }
    std::string NameOf(long long id) const {
        auto it = byId_.find(id);
        return it == byId_.end() ? std::string() : it->second.name;
    }
    std::string TextOf(long long id) {
        std::string s;
        for (const auto& [piece, text] : texts_[id]) s += text;
        return s;
    }

    void ReadObjects() {
        const Rows objects(query_, "select name, id, xtype, parent_obj from sysobjects", 4);
        for (const auto& r : objects.All()) {
            ObjectRow o{Rows::Text(r[0]), objects.Number(r[1]), Rows::Text(r[2]),
                        objects.Number(r[3])};
            byId_[o.id] = o;
        }
        for (const auto& [id, o] : byId_) {
            // dtproperties is the diagram table that SQL Server 2000 itself adds to a database.
            if (o.xtype != "U" || SameName(o.name, "dtproperties")) continue;
            SourceTable t;
            t.name = o.name;
            t.id = static_cast<int>(id);
            cat_.tables.push_back(std::move(t));
        }
        std::sort(cat_.tables.begin(), cat_.tables.end(),
                  [](const SourceTable& a, const SourceTable& b) {
                      return NameKey(a.name) < NameKey(b.name);
                  });
        for (std::size_t i = 0; i < cat_.tables.size(); ++i) tableIndex_[cat_.tables[i].id] = i;
        for (const auto& [id, o] : byId_) {
            if (o.xtype == "U" || o.xtype == "S" || o.xtype == "PK" || o.xtype == "UQ" ||
                o.xtype == "D" || o.xtype == "K" || o.xtype == "IT" || o.xtype == "SQ")
                continue;
            cat_.unreproduced.push_back({ObjectKind(o.xtype), o.name, NameOf(o.parent),
                                         "the stand-in has no such objects"});
        }
    }

    void ReadTypes() {
        const Rows types(query_, "select xusertype, name from systypes", 2);
        for (const auto& r : types.All()) typeNames_[types.Number(r[0])] = Rows::Text(r[1]);
    }

    void ReadComments() {
        const Rows comments(query_, "select id, colid, text from syscomments", 3);
        for (const auto& r : comments.All())
            texts_[comments.Number(r[0])][comments.Number(r[1])] = r[2].value_or("");
    }

    void ReadColumns() {
        const Rows columns(
            query_,
            "select id, colid, name, xusertype, length, prec, scale, isnullable, cdefault, "
            "status, iscomputed from syscolumns",
            11);
        std::vector<std::pair<long long, const std::vector<std::optional<std::string>>*>> ordered;
        for (const auto& r : columns.All()) ordered.emplace_back(columns.Number(r[1]), &r);
        std::sort(ordered.begin(), ordered.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [colid, row] : ordered) {
            SourceTable* t = TableOf(columns.Number((*row)[0]));
            if (!t) continue;
            SourceColumn c = Column(columns, *row, *t);
            colNames_[t->id][colid] = c.name;
            t->columns.push_back(std::move(c));
        }
    }

    SourceColumn Column(const Rows& columns, const std::vector<std::optional<std::string>>& r,
                        SourceTable& t) {
        SourceColumn c;
        c.name = Rows::Text(r[2]);
        const long long usertype = columns.Number(r[3]);
        c.type =
            typeNames_.count(usertype) ? typeNames_[usertype] : "type " + std::to_string(usertype);
        c.length = static_cast<int>(columns.Number(r[4]));
        c.precision = static_cast<int>(columns.Number(r[5]));
        c.scale = static_cast<int>(columns.Number(r[6]));
        c.nullable = columns.Number(r[7]) != 0;
        c.identity = (columns.Number(r[9]) & 0x80) != 0;
        if (columns.Number(r[10]) != 0) {
            t.problems.push_back("column " + c.name + " is computed");
        } else if (!EngineHasType(c.type)) {
            t.problems.push_back("column " + c.name + " has the type " + c.type +
                                 ", which the stand-in lacks");
        }
        if (const long long d = columns.Number(r[8]); d != 0) {
            auto it = byId_.find(d);
            if (it != byId_.end() && it->second.xtype == "D" && it->second.parent == t.id) {
                c.defaultName = it->second.name;
                c.defaultText = TextOf(d);
            } else {
                cat_.unreproduced.push_back({"default", NameOf(d), t.name,
                                             "a default bound to column " + c.name +
                                                 " rather than declared on it; the copy has none"});
            }
        }
        return c;
    }

    void ReadIndexes() {
        const Rows keys(query_, "select id, indid, colid, keyno from sysindexkeys", 4);
        std::map<std::pair<long long, long long>, std::map<long long, long long>> keyColumns;
        for (const auto& r : keys.All())
            keyColumns[{keys.Number(r[0]), keys.Number(r[1])}][keys.Number(r[3])] =
                keys.Number(r[2]);
        const Rows indexes(query_, "select id, indid, name, status, OrigFillFactor from sysindexes",
                           5);
        for (const auto& r : indexes.All()) {
            SourceTable* t = TableOf(indexes.Number(r[0]));
            const long long indid = indexes.Number(r[1]);
            const long long status = indexes.Number(r[3]);
            // indid 0 is the table's heap, 255 its text pages; status 0x40 marks statistics, 0x20
            // a hypothetical index: neither holds anything a copy needs.
            if (!t || indid <= 0 || indid >= 255 || (status & 0x60) != 0) continue;
            SourceIndex ix;
            ix.name = Rows::Text(r[2]);
            ix.unique = (status & 2) != 0;
            ix.primaryKey = (status & 2048) != 0;
            ix.uniqueConstraint = (status & 4096) != 0;
            ix.clustered = indid == 1;
            ix.fillFactor = static_cast<int>(indexes.Number(r[4]));
            for (const auto& [keyno, colid] : keyColumns[{t->id, indid}])
                ix.columns.push_back(colNames_[t->id][colid]);
            t->indexes.push_back(std::move(ix));
        }
    }

    void FinishTable(SourceTable& t) {
        std::sort(t.indexes.begin(), t.indexes.end(),
                  [](const SourceIndex& a, const SourceIndex& b) {
                      return NameKey(a.name) < NameKey(b.name);
                  });
        const Rows count(query_, "select count(*) from " + Bracketed(t.name), 1);
        t.rows = count.All().empty() ? 0 : count.Number(count.All()[0][0]);
        auto identity =
            std::find_if(t.columns.begin(), t.columns.end(), [](auto& c) { return c.identity; });
        if (identity != t.columns.end()) ReadIdentity(t, *identity);
        if (!t.problems.empty()) {
            std::string why;
            for (const std::string& p : t.problems) why += (why.empty() ? "" : "; ") + p;
            cat_.unreproduced.push_back({"table", t.name, "", why});
        }
    }

    void ReadIdentity(SourceTable& t, SourceColumn& c) {
        const std::string name = SingleQuoted(t.name);
        const Rows ident(query_,
                         "select IDENT_SEED(" + name + "), IDENT_INCR(" + name +
                             "), IDENT_CURRENT(" + name + ")",
                         3);
        if (ident.All().size() != 1)
            throw std::runtime_error("no identity settings for table " + t.name);
        const auto& v = ident.All()[0];
        c.seed = ident.Number(v[0]);
        c.increment = ident.Number(v[1]);
        // IDENT_CURRENT answers the seed for a table that never handed out a value; a table
        // with rows has handed out at least one.
        const long long current = ident.Number(v[2]);
        if (t.rows > 0 || current != c.seed) t.identityCurrent = current;
    }

    const QueryText& query_;
    SourceCatalogue cat_;
    std::map<long long, ObjectRow> byId_;
    std::map<long long, std::size_t> tableIndex_;  // object id -> position in cat_.tables
    std::map<long long, std::string> typeNames_;
    std::map<long long, std::map<long long, std::string>> texts_;     // id -> piece -> text
    std::map<long long, std::map<long long, std::string>> colNames_;  // table -> colid -> name
};

}  // namespace

SourceCatalogue ReadCatalogue(const QueryText& query) { return CatalogueReading(query).Run(); }

}  // namespace standin::clone
