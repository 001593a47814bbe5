#include "clone/CatalogueText.h"

#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "clone/CopyProgress.h"
#include "types/Collation.h"

namespace standin::clone {
namespace {

std::string ColumnText(const SourceColumn& c) {
    std::string s = c.TypeText() + (c.nullable ? " NULL" : " NOT NULL");
    if (c.identity)
        s += " IDENTITY(" + std::to_string(c.seed) + "," + std::to_string(c.increment) + ")";
    if (!c.defaultName.empty()) s += " DEFAULT " + c.defaultText;
    return s;
}

std::string IndexText(const SourceIndex& ix) {
    std::string s = ix.primaryKey         ? "PRIMARY KEY "
                    : ix.uniqueConstraint ? "UNIQUE CONSTRAINT "
                    : ix.unique           ? "UNIQUE "
                                          : "";
    s += ix.clustered ? "CLUSTERED (" : "NONCLUSTERED (";
    for (std::size_t i = 0; i < ix.columns.size(); ++i) s += (i ? ", " : "") + ix.columns[i];
    s += ")";
    if (ix.fillFactor > 0) s += " FILLFACTOR " + std::to_string(ix.fillFactor);
    return s;
}

struct TableLines {
    std::string name;
    std::string id;
    std::int64_t rows = 0;
    std::vector<std::string> columnOrder;
    std::map<std::string, std::string> columns, indexes;
};

std::map<std::string, TableLines> Parse(const std::string& text) {
    std::map<std::string, TableLines> tables;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            f.push_back(line.substr(start, tab - start));
        f.push_back(line.substr(start));
        if (f.size() < 4) continue;
        TableLines& t = tables[NameKey(f[1])];
        if (t.name.empty()) t.name = f[1];
        if (f[0] == "table") {
            t.id = f[2];
            t.rows = std::stoll(f[3].substr(f[3].find(' ') + 1));
        } else if (f[0] == "column") {
            t.columnOrder.push_back(f[2]);
            t.columns[f[2]] = f[3];
        } else if (f[0] == "index") {
            t.indexes[f[2]] = f[3];
        }
    }
    return tables;
}

// "char(10) NULL ..." -> {"char", 10, 0}
struct TypeSize {
    std::string base;
    int size = 0, scale = 0;
};
TypeSize SizeOf(const std::string& column) {
    TypeSize t;
    const std::string type = column.substr(0, column.find(' '));
    const auto open = type.find('(');
    t.base = type.substr(0, open);
    if (open != std::string::npos) {
        t.size = std::stoi(type.substr(open + 1));
        if (const auto comma = type.find(','); comma != std::string::npos)
            t.scale = std::stoi(type.substr(comma + 1));
    }
    return t;
}

std::string ColumnChange(const std::string& before, const std::string& after) {
    const TypeSize b = SizeOf(before), a = SizeOf(after);
    std::string verb = "changed";
    const std::string restBefore = before.substr(before.find(' ')),
                      restAfter = after.substr(after.find(' '));
    if (b.base == a.base && restBefore == restAfter) {
        if (a.size >= b.size && a.scale >= b.scale)
            verb = "widened";
        else if (a.size <= b.size && a.scale <= b.scale)
            verb = "narrowed";
    }
    return verb + ": " + before + " -> " + after;
}

}  // namespace

std::string CatalogueText(const SourceCatalogue& catalogue) {
    std::string out;
    for (const SourceTable& t : catalogue.tables) {
        out += "table\t" + t.name + "\t" + std::to_string(t.id) + "\trows " +
               std::to_string(t.rows) + "\n";
        for (const SourceColumn& c : t.columns)
            // The default's name last, apart: a table created anew gets new generated names,
            // which is no change of its schema.
            out += "column\t" + t.name + "\t" + c.name + "\t" + ColumnText(c) +
                   (c.defaultName.empty() ? "" : "\t" + c.defaultName) + "\n";
        for (const SourceIndex& ix : t.indexes)
            out += "index\t" + t.name + "\t" + ix.name + "\t" + IndexText(ix) + "\n";
        if (t.identityCurrent)
            out += "identity\t" + t.name + "\t" + t.IdentityColumn()->name + "\tcurrent " +
                   std::to_string(*t.identityCurrent) + "\n";
    }
    for (const Unreproduced& u : catalogue.unreproduced)
        out += "lacks\t" + (u.table.empty() ? "-" : u.table) + "\t" + u.name + "\t" + u.kind +
               ": " + u.why + "\n";
    return out;
}

std::string CompareCatalogues(const std::string& beforeText, const std::string& afterText) {
    const auto before = Parse(beforeText), after = Parse(afterText);
    std::set<std::string> names;
    for (const auto& [n, t] : before) names.insert(n);
    for (const auto& [n, t] : after) names.insert(n);
    std::string out;
    int unchanged = 0;
    const auto rowsText = [](std::int64_t b, std::int64_t a) {
        return b == a ? "rows " + Grouped(a) : "rows " + Grouped(b) + " -> " + Grouped(a);
    };
    for (const std::string& key : names) {
        const auto b = before.find(key), a = after.find(key);
        if (b == before.end() || b->second.id.empty()) {
            out += a->second.name + ": created, " + std::to_string(a->second.columns.size()) +
                   " columns, " + rowsText(a->second.rows, a->second.rows) + "\n";
            continue;
        }
        if (a == after.end() || a->second.id.empty()) {
            out += b->second.name + ": dropped (had " + rowsText(b->second.rows, b->second.rows) +
                   ")\n";
            continue;
        }
        const TableLines& tb = b->second;
        const TableLines& ta = a->second;
        std::vector<std::string> details;
        for (const std::string& c : ta.columnOrder) {
            auto it = tb.columns.find(c);
            if (it == tb.columns.end())
                details.push_back("column " + c + " added: " + ta.columns.at(c));
            else if (it->second != ta.columns.at(c))
                details.push_back("column " + c + " " + ColumnChange(it->second, ta.columns.at(c)));
        }
        for (const std::string& c : tb.columnOrder)
            if (!ta.columns.count(c))
                details.push_back("column " + c + " dropped: " + tb.columns.at(c));
        for (const auto& [n, text] : ta.indexes) {
            auto it = tb.indexes.find(n);
            if (it == tb.indexes.end())
                details.push_back("index " + n + " added: " + text);
            else if (it->second != text)
                details.push_back("index " + n + " changed: " + it->second + " -> " + text);
        }
        for (const auto& [n, text] : tb.indexes)
            if (!ta.indexes.count(n)) details.push_back("index " + n + " dropped: " + text);
        const bool rebuilt = tb.id != ta.id;
        if (details.empty() && !rebuilt && tb.rows == ta.rows) {
            ++unchanged;
            continue;
        }
        out +=
            ta.name + ":" + (rebuilt ? " rebuilt," : "") + " " + rowsText(tb.rows, ta.rows) + "\n";
        for (const std::string& d : details) out += "  " + d + "\n";
    }
    out += std::to_string(unchanged) + (unchanged == 1 ? " table" : " tables") + " unchanged\n";
    return out;
}

}  // namespace standin::clone
