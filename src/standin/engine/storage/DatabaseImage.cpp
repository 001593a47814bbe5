#include "storage/DatabaseImage.h"

#include <cstring>
#include <istream>
#include <iterator>
#include <ostream>
#include <stdexcept>

#include "types/SqlTypes.h"
#include "bind/BindDefault.h"

namespace standin {
namespace {

constexpr char kMagic[8] = {'S', 'Q', 'L', 'S', 'T', 'D', 'B', '\n'};
constexpr std::uint32_t kVersion = 1;

std::uint64_t Fnv1a(const std::string& s) {
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

class Writer {
public:
    void U8(std::uint8_t v) { buf_ += static_cast<char>(v); }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) buf_ += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    void I64(std::int64_t v) {
        auto u = static_cast<std::uint64_t>(v);
        for (int i = 0; i < 8; ++i) buf_ += static_cast<char>((u >> (8 * i)) & 0xFF);
    }
    void Str(const std::string& s) {
        U32(static_cast<std::uint32_t>(s.size()));
        buf_ += s;
    }
    void Date(const DateTime& d) {
        I64(d.days);
        U32(d.ticks);
    }
    void Type(const SqlType& t) {
        U8(static_cast<std::uint8_t>(t.id));
        U32(static_cast<std::uint32_t>(t.length));
        U8(static_cast<std::uint8_t>(t.precision));
        U8(static_cast<std::uint8_t>(t.scale));
    }
    void Val(const Value& v) {
        if (IsNull(v)) {
            U8(0);
        } else if (auto* i = std::get_if<std::int64_t>(&v)) {
            U8(1);
            I64(*i);
        } else if (auto* d = std::get_if<Decimal>(&v)) {
            U8(2);
            // low 64 bits, then the high 64 bits with the sign
            I64(static_cast<std::int64_t>(static_cast<std::uint64_t>(d->unscaled & Int128(0xFFFFFFFFFFFFFFFFULL))));
            I64(static_cast<std::int64_t>(d->unscaled >> 64));
            U8(static_cast<std::uint8_t>(d->precision));
            U8(static_cast<std::uint8_t>(d->scale));
        } else if (auto* dt = std::get_if<DateTime>(&v)) {
            U8(3);
            Date(*dt);
        } else {
            U8(4);
            Str(std::get<std::string>(v));
        }
    }
    const std::string& Bytes() const { return buf_; }

private:
    std::string buf_;
};

class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}
    std::uint8_t U8() {
        Need(1);
        return static_cast<std::uint8_t>(s_[p_++]);
    }
    std::uint32_t U32() {
        Need(4);
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(s_[p_++])) << (8 * i);
        return v;
    }
    std::int64_t I64() {
        Need(8);
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(static_cast<unsigned char>(s_[p_++])) << (8 * i);
        return static_cast<std::int64_t>(v);
    }
    std::string Str() {
        std::uint32_t n = U32();
        Need(n);
        std::string r(s_.substr(p_, n));
        p_ += n;
        return r;
    }
    DateTime Date() {
        DateTime d;
        std::int64_t days = I64();
        if (days < -1000000 || days > 3000000) Bad("date out of range");
        d.days = static_cast<std::int32_t>(days);
        d.ticks = U32();
        if (d.ticks >= 300u * 86400u) Bad("time of day out of range");
        return d;
    }
    SqlType Type() {
        SqlType t;
        std::uint8_t id = U8();
        if (id > static_cast<std::uint8_t>(TypeId::DateTime)) Bad("unknown column type");
        t.id = static_cast<TypeId>(id);
        t.length = static_cast<int>(U32());
        t.precision = U8();
        t.scale = U8();
        if (t.length > 8000 || t.precision > 38 || t.scale > 38) Bad("impossible column type");
        return t;
    }
    Value Val() {
        switch (U8()) {
            case 0: return Value{};
            case 1: return I64();
            case 2: {
                auto lo = static_cast<std::uint64_t>(I64());
                std::int64_t hi = I64();
                Decimal d;
                d.unscaled = static_cast<Int128>(hi) * (Int128(1) << 64) + static_cast<Int128>(lo);
                d.precision = U8();
                d.scale = U8();
                if (d.precision < 1 || d.precision > 38 || d.scale > d.precision) Bad("impossible decimal");
                return d;
            }
            case 3: return Date();
            case 4: return Str();
            default: Bad("unknown value tag");
        }
    }
    // A count of items that each take at least minBytes bytes.
    std::size_t Count(std::size_t minBytes) {
        std::uint32_t n = U32();
        if (static_cast<std::uint64_t>(n) * minBytes > s_.size() - p_) Bad("count exceeds the data");
        return n;
    }
    bool AtEnd() const { return p_ == s_.size(); }
    [[noreturn]] static void Bad(const std::string& what) {
        throw std::runtime_error("database image is damaged: " + what);
    }

private:
    void Need(std::size_t n) {
        if (s_.size() - p_ < n) throw std::runtime_error("database image is truncated");
    }
    std::string_view s_;
    std::size_t p_ = 0;
};

}  // namespace

void WriteImage(std::ostream& out, const Catalogue& cat) {
    Writer w;
    w.I64(cat.ObjectCounter());
    w.U32(static_cast<std::uint32_t>(cat.Logins().size()));
    for (auto& [user, password] : cat.Logins()) {
        w.Str(user);
        w.Str(password);
    }
    auto tables = cat.Tables();
    w.U32(static_cast<std::uint32_t>(tables.size()));
    for (const Table* t : tables) {
        w.I64(t->id);
        w.Str(t->name);
        w.Date(t->created);
        w.U32(static_cast<std::uint32_t>(t->nextColid));
        w.U8(t->identityUsed ? 1 : 0);
        w.I64(t->identityLast);
        w.U32(static_cast<std::uint32_t>(t->columns.size()));
        for (auto& c : t->columns) {
            w.Str(c.name);
            w.Type(c.type);
            w.U8(static_cast<std::uint8_t>((c.nullable ? 1 : 0) | (c.identity ? 2 : 0)));
            w.I64(c.seed);
            w.I64(c.increment);
            w.U32(static_cast<std::uint32_t>(c.colid));
            w.I64(c.defaultId);
        }
        w.U32(static_cast<std::uint32_t>(t->defaults.size()));
        for (auto& d : t->defaults) {
            w.I64(d.id);
            w.Str(d.name);
            w.Str(d.column);
            w.Str(d.exprText);
            w.Date(d.created);
        }
        w.U32(static_cast<std::uint32_t>(t->indexes.size()));
        for (auto& ix : t->indexes) {
            w.Str(ix.name);
            w.U8(static_cast<std::uint8_t>((ix.unique ? 1 : 0) | (ix.clustered ? 2 : 0) | (ix.primaryKey ? 4 : 0)));
            w.U32(static_cast<std::uint32_t>(ix.columns.size()));
            for (auto& c : ix.columns) w.Str(c);
            w.U32(static_cast<std::uint32_t>(ix.indid));
            w.I64(ix.constraintId);
            w.U32(static_cast<std::uint32_t>(ix.fillFactor));
            w.Date(ix.created);
        }
        w.I64(static_cast<std::int64_t>(t->store.Count()));
        for (RowId id = 0; id < t->store.Capacity(); ++id) {
            if (!t->store.Live(id)) continue;
            for (const Value& v : t->store.Get(id)) w.Val(v);
        }
    }
    const std::string& payload = w.Bytes();
    Writer head;
    head.U32(kVersion);
    head.I64(static_cast<std::int64_t>(payload.size()));
    Writer tail;
    tail.I64(static_cast<std::int64_t>(Fnv1a(payload)));
    out.write(kMagic, sizeof kMagic);
    out.write(head.Bytes().data(), static_cast<std::streamsize>(head.Bytes().size()));
    out.write(payload.data(), static_cast<std::streamsize>(payload.size()));
    out.write(tail.Bytes().data(), static_cast<std::streamsize>(tail.Bytes().size()));
    if (!out) throw std::runtime_error("could not write the database image");
}

void ReadImage(std::istream& in, Catalogue& cat) {
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (all.size() < sizeof kMagic + 12 + 8) {
        if (all.size() >= sizeof kMagic && std::memcmp(all.data(), kMagic, sizeof kMagic) != 0)
            throw std::runtime_error("not a sqlstandin database image (bad magic)");
        throw std::runtime_error("database image is truncated");
    }
    if (std::memcmp(all.data(), kMagic, sizeof kMagic) != 0) throw std::runtime_error("not a sqlstandin database image (bad magic)");
    Reader head(std::string_view(all).substr(sizeof kMagic, 12));
    std::uint32_t version = head.U32();
    if (version != kVersion)
        throw std::runtime_error("database image has format version " + std::to_string(version) +
                                 "; this program reads version " + std::to_string(kVersion));
    auto size = static_cast<std::uint64_t>(head.I64());
    std::size_t start = sizeof kMagic + 12;
    if (size > all.size() - start || all.size() - start - size < 8) throw std::runtime_error("database image is truncated");
    if (all.size() - start - size != 8) throw std::runtime_error("database image is damaged: data after its end");
    std::string payload = all.substr(start, size);
    Reader tail(std::string_view(all).substr(start + size));
    if (static_cast<std::uint64_t>(tail.I64()) != Fnv1a(payload))
        throw std::runtime_error("database image is damaged: checksum mismatch");

    Reader r(payload);
    cat.SetObjectCounter(r.I64());
    std::size_t logins = r.Count(8);
    for (std::size_t i = 0; i < logins; ++i) {
        std::string user = r.Str();
        cat.Logins()[user] = r.Str();
    }
    std::size_t tables = r.Count(8);
    for (std::size_t ti = 0; ti < tables; ++ti) {
        auto t = std::make_unique<Table>();
        t->id = static_cast<int>(r.I64());
        t->name = r.Str();
        t->created = r.Date();
        t->nextColid = static_cast<int>(r.U32());
        t->identityUsed = r.U8() != 0;
        t->identityLast = r.I64();
        std::size_t ncols = r.Count(8);
        if (ncols == 0) Reader::Bad("table without columns");
        for (std::size_t i = 0; i < ncols; ++i) {
            Column c;
            c.name = r.Str();
            c.type = r.Type();
            std::uint8_t flags = r.U8();
            c.nullable = flags & 1;
            c.identity = flags & 2;
            c.seed = r.I64();
            c.increment = r.I64();
            c.colid = static_cast<int>(r.U32());
            c.defaultId = static_cast<int>(r.I64());
            t->columns.push_back(c);
        }
        std::size_t ndefs = r.Count(8);
        for (std::size_t i = 0; i < ndefs; ++i) {
            DefaultConstraint d;
            d.id = static_cast<int>(r.I64());
            d.name = r.Str();
            d.column = r.Str();
            d.exprText = r.Str();
            d.created = r.Date();
            try {
                d.expr = BindDefaultText(d.exprText);
            } catch (const std::exception& ex) {
                Reader::Bad("default " + d.name + " does not parse: " + ex.what());
            }
            t->defaults.push_back(std::move(d));
        }
        std::size_t nix = r.Count(8);
        for (std::size_t i = 0; i < nix; ++i) {
            IndexDef ix;
            ix.name = r.Str();
            std::uint8_t flags = r.U8();
            ix.unique = flags & 1;
            ix.clustered = flags & 2;
            ix.primaryKey = flags & 4;
            std::size_t nc = r.Count(4);
            for (std::size_t k = 0; k < nc; ++k) ix.columns.push_back(r.Str());
            ix.indid = static_cast<int>(r.U32());
            ix.constraintId = static_cast<int>(r.I64());
            ix.fillFactor = static_cast<int>(r.U32());
            ix.created = r.Date();
            for (auto& c : ix.columns)
                if (t->FindColumn(c) < 0) Reader::Bad("index " + ix.name + " names a missing column");
            t->indexes.push_back(std::move(ix));
        }
        std::int64_t nrows = r.I64();
        if (nrows < 0) Reader::Bad("negative row count");
        for (std::int64_t k = 0; k < nrows; ++k) {
            Row row;
            row.reserve(ncols);
            for (std::size_t c = 0; c < ncols; ++c) row.push_back(r.Val());
            t->store.Insert(std::move(row));
        }
        for (auto& c : t->columns)
            if (c.colid >= t->nextColid) Reader::Bad("column id beyond the table's next column id");
        if (cat.FindObject(t->name).kind != ObjectRef::Kind::None) Reader::Bad("two objects named " + t->name);
        t->RebuildStoreIndexes();
        cat.AddTable(std::move(t));
    }
    if (!r.AtEnd()) Reader::Bad("unexpected bytes after the last table");
}

}  // namespace standin
