#include "catalog/Catalogue.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "types/Collation.h"

namespace standin {

bool IsSystemTableName(std::string_view name) {
    // Every system table's name starts with "sys"; most names a statement holds do not.
    if (name.size() < 3 || !SameName(name.substr(0, 3), "sys")) return false;
    for (const char* system :
         {"sysobjects", "syscolumns", "sysindexes", "systypes", "sysindexkeys", "syscomments"})
        if (SameName(name, system)) return true;
    return false;
}

Table* Catalogue::FindTable(std::string_view name) {
    return const_cast<Table*>(std::as_const(*this).FindTable(name));
}

const Table* Catalogue::FindTable(std::string_view name) const {
    // A statement names its table several times over (checked, bound, written); the table found
    // last is tried first.
    if (lastFound_ < tables_.size() && SameName(tables_[lastFound_]->name, name))
        return tables_[lastFound_].get();
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        if (!SameName(tables_[i]->name, name)) continue;
        lastFound_ = i;
        return tables_[i].get();
    }
    return nullptr;
}

ObjectRef Catalogue::FindObject(std::string_view name) {
    ObjectRef r;
    if (IsSystemTableName(name)) {
        r.kind = ObjectRef::Kind::System;
        return r;
    }
    for (auto& t : tables_) {
        if (SameName(t->name, name)) {
            r.kind = ObjectRef::Kind::Table;
            r.table = t.get();
            r.id = t->id;
            return r;
        }
        for (auto& ix : t->indexes) {
            if (ix.constraintId != 0 && SameName(ix.name, name)) {
                r.kind = ObjectRef::Kind::Key;
                r.table = t.get();
                r.id = ix.constraintId;
                return r;
            }
        }
        for (auto& d : t->defaults) {
            if (SameName(d.name, name)) {
                r.kind = ObjectRef::Kind::Default;
                r.table = t.get();
                r.id = d.id;
                return r;
            }
        }
    }
    return r;
}

Table& Catalogue::AddTable(std::unique_ptr<Table> table) {
    tables_.push_back(std::move(table));
    return *tables_.back();
}

void Catalogue::DropTable(std::string_view name) {
    tables_.erase(
        std::remove_if(tables_.begin(), tables_.end(),
                       [&](const std::unique_ptr<Table>& t) { return SameName(t->name, name); }),
        tables_.end());
}

int Catalogue::NewObjectId() {
    // A full-period walk through the positive 31-bit ids (the step is odd), starting where SQL
    // Server's user objects typically start; ids look like SQL Server's and never repeat.
    constexpr std::int64_t kBase = 245575913;
    constexpr std::int64_t kStep = 16000057;
    for (;;) {
        std::int64_t id = (kBase + counter_ * kStep) % 2147483648LL;
        ++counter_;
        if (id >= 100) return static_cast<int>(id);
    }
}

std::vector<Table*> Catalogue::Tables() {
    std::vector<Table*> out;
    for (auto& t : tables_) out.push_back(t.get());
    return out;
}

std::vector<const Table*> Catalogue::Tables() const {
    std::vector<const Table*> out;
    for (auto& t : tables_) out.push_back(t.get());
    return out;
}

namespace {
// First n characters of a UTF-8 name (whole characters).
std::string Prefix(std::string_view s, std::size_t n) {
    std::size_t i = 0, count = 0;
    while (i < s.size() && count < n) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        std::size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        i += len;
        ++count;
    }
    return std::string(s.substr(0, std::min(i, s.size())));
}
std::size_t Chars(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char b : s)
        if ((b & 0xC0) != 0x80) ++n;
    return n;
}
}  // namespace

std::string Catalogue::GeneratedDefaultName(std::string_view table, std::string_view column,
                                            int id) {
    // DF__ + up to 9 characters of the table + __ + the column cut so both parts make 14 at most
    // (DF__some_tabl__statu__..., DF__MyTable__LastNam__...) + __ + the object id in hex.
    std::string t = Prefix(table, 9);
    std::string c = Prefix(column, 14 - Chars(t));
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(id));
    return "DF__" + t + "__" + c + "__" + hex;
}

std::string Catalogue::GeneratedKeyName(std::string_view table, bool primary, int id) {
    char hex[24];
    unsigned long long mixed =
        static_cast<unsigned long long>(static_cast<unsigned>(id)) * 0x9E3779B97F4A7C15ULL;
    std::snprintf(hex, sizeof hex, "%016llX", mixed);
    return std::string(primary ? "PK__" : "UQ__") + Prefix(table, 8) + "__" + hex;
}

}  // namespace standin
