#include "catalog/DatabaseImage.h"

#include <stdexcept>

#include "storage/Crc32c.h"
#include "storage/StorageBytes.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

constexpr std::string_view kMagic{"SQLSTDB\n", 8};
// Version 2: the payload is followed by its CRC-32C (4 bytes). Version 1 ended in an 8-byte
// FNV-1a sum instead, over the same payload layout; see ReadEnvelope.
constexpr std::uint32_t kVersion = 2;
constexpr std::uint32_t kOldestReadableVersion = 1;
constexpr std::size_t kHeaderSize = kMagic.size() + 4 + 8;  // magic, version, payload length

// ---- writing ----

void PutI64(std::string& out, std::int64_t v) { PutU64(out, static_cast<std::uint64_t>(v)); }

void PutDate(std::string& out, const DateTime& d) {
    PutI64(out, d.days);
    PutU32(out, d.ticks);
}

void PutType(std::string& out, const SqlType& t) {
    PutU8(out, static_cast<std::uint8_t>(t.id));
    PutU32(out, static_cast<std::uint32_t>(t.length));
    PutU8(out, static_cast<std::uint8_t>(t.precision));
    PutU8(out, static_cast<std::uint8_t>(t.scale));
}

// A tag byte, then the value: 0 NULL, 1 integer, 2 decimal, 3 datetime, 4 text.
void PutValue(std::string& out, const Value& v) {
    if (IsNull(v)) {
        PutU8(out, 0);
    } else if (const auto* i = std::get_if<std::int64_t>(&v)) {
        PutU8(out, 1);
        PutI64(out, *i);
    } else if (const auto* d = std::get_if<Decimal>(&v)) {
        PutU8(out, 2);
        // low 64 bits, then the high 64 bits with the sign
        PutU64(out, static_cast<std::uint64_t>(d->unscaled & Int128(0xFFFFFFFFFFFFFFFFULL)));
        PutI64(out, static_cast<std::int64_t>(d->unscaled >> 64));
        PutU8(out, static_cast<std::uint8_t>(d->precision));
        PutU8(out, static_cast<std::uint8_t>(d->scale));
    } else if (const auto* dt = std::get_if<DateTime>(&v)) {
        PutU8(out, 3);
        PutDate(out, *dt);
    } else {
        PutU8(out, 4);
        PutString(out, std::get<std::string>(v));
    }
}

void PutColumn(std::string& out, const Column& c) {
    PutString(out, c.name);
    PutType(out, c.type);
    PutU8(out, static_cast<std::uint8_t>((c.nullable ? 1 : 0) | (c.identity ? 2 : 0)));
    PutI64(out, c.seed);
    PutI64(out, c.increment);
    PutU32(out, static_cast<std::uint32_t>(c.colid));
    PutI64(out, c.defaultId);
}

void PutDefault(std::string& out, const DefaultConstraint& d) {
    PutI64(out, d.id);
    PutString(out, d.name);
    PutString(out, d.column);
    PutString(out, d.exprText);
    PutDate(out, d.created);
}

void PutIndex(std::string& out, const IndexDef& ix) {
    PutString(out, ix.name);
    PutU8(out, static_cast<std::uint8_t>((ix.unique ? 1 : 0) | (ix.clustered ? 2 : 0) |
                                         (ix.primaryKey ? 4 : 0)));
    PutU32(out, static_cast<std::uint32_t>(ix.columns.size()));
    for (const auto& c : ix.columns) PutString(out, c);
    PutU32(out, static_cast<std::uint32_t>(ix.indid));
    PutI64(out, ix.constraintId);
    PutU32(out, static_cast<std::uint32_t>(ix.fillFactor));
    PutDate(out, ix.created);
}

void PutTable(std::string& out, const Table& t) {
    PutI64(out, t.id);
    PutString(out, t.name);
    PutDate(out, t.created);
    PutU32(out, static_cast<std::uint32_t>(t.nextColid));
    PutU8(out, t.identityUsed ? 1 : 0);
    PutI64(out, t.identityLast);
    PutU32(out, static_cast<std::uint32_t>(t.columns.size()));
    for (const auto& c : t.columns) PutColumn(out, c);
    PutU32(out, static_cast<std::uint32_t>(t.defaults.size()));
    for (const auto& d : t.defaults) PutDefault(out, d);
    PutU32(out, static_cast<std::uint32_t>(t.indexes.size()));
    for (const auto& ix : t.indexes) PutIndex(out, ix);
    PutI64(out, static_cast<std::int64_t>(t.store.Count()));
    Row row;
    for (RowId id = 0; id < t.store.Capacity(); ++id) {
        if (!t.store.Live(id)) continue;
        t.store.Read(id, row);
        for (const Value& v : row) PutValue(out, v);
    }
}

// ---- reading ----

[[noreturn]] void Damaged(const std::string& what) {
    throw std::runtime_error("database image is damaged: " + what);
}

// ByteReader that throws: within a payload whose checksum matched, a short read can only be an
// image that ends before its own counts say it does.
class ImageReader {
public:
    explicit ImageReader(std::string_view bytes) : in_(bytes) {}

    std::uint8_t U8() {
        std::uint8_t v = 0;
        Check(in_.U8(v));
        return v;
    }
    std::uint32_t U32() {
        std::uint32_t v = 0;
        Check(in_.U32(v));
        return v;
    }
    std::int64_t I64() {
        std::uint64_t v = 0;
        Check(in_.U64(v));
        return static_cast<std::int64_t>(v);
    }
    std::string Str() {
        std::string_view v;
        Check(in_.String(v));
        return std::string(v);
    }
    // A count of items that each take at least minBytes bytes.
    std::size_t Count(std::size_t minBytes) {
        const std::uint32_t n = U32();
        if (static_cast<std::uint64_t>(n) * minBytes > in_.Remaining())
            Damaged("count exceeds the data");
        return n;
    }
    bool AtEnd() const { return in_.AtEnd(); }

private:
    static void Check(bool ok) {
        if (!ok) throw std::runtime_error("database image is truncated");
    }
    ByteReader in_;
};

DateTime ReadDate(ImageReader& r) {
    const std::int64_t days = r.I64();
    if (days < -1000000 || days > 3000000) Damaged("date out of range");
    DateTime d;
    d.days = static_cast<std::int32_t>(days);
    d.ticks = r.U32();
    if (d.ticks >= 300u * 86400u) Damaged("time of day out of range");
    return d;
}

SqlType ReadType(ImageReader& r) {
    SqlType t;
    const std::uint8_t id = r.U8();
    if (id > static_cast<std::uint8_t>(TypeId::DateTime)) Damaged("unknown column type");
    t.id = static_cast<TypeId>(id);
    t.length = static_cast<int>(r.U32());
    t.precision = r.U8();
    t.scale = r.U8();
    if (t.length > 8000 || t.precision > 38 || t.scale > 38) Damaged("impossible column type");
    return t;
}

Value ReadValue(ImageReader& r) {
    switch (r.U8()) {
        case 0:
            return Value{};
        case 1:
            return r.I64();
        case 2: {
            const auto lo = static_cast<std::uint64_t>(r.I64());
            const std::int64_t hi = r.I64();
            Decimal d;
            d.unscaled = static_cast<Int128>(hi) * (Int128(1) << 64) + static_cast<Int128>(lo);
            d.precision = r.U8();
            d.scale = r.U8();
            if (d.precision < 1 || d.precision > 38 || d.scale > d.precision)
                Damaged("impossible decimal");
            return d;
        }
        case 3:
            return ReadDate(r);
        case 4:
            return r.Str();
        default:
            Damaged("unknown value tag");
    }
}

Column ReadColumn(ImageReader& r) {
    Column c;
    c.name = r.Str();
    c.type = ReadType(r);
    const std::uint8_t flags = r.U8();
    c.nullable = flags & 1;
    c.identity = flags & 2;
    c.seed = r.I64();
    c.increment = r.I64();
    c.colid = static_cast<int>(r.U32());
    c.defaultId = static_cast<int>(r.I64());
    return c;
}

DefaultConstraint ReadDefault(ImageReader& r, const DefaultCompiler& compile) {
    DefaultConstraint d;
    d.id = static_cast<int>(r.I64());
    d.name = r.Str();
    d.column = r.Str();
    d.exprText = r.Str();
    d.created = ReadDate(r);
    try {
        d.expr = compile(d.exprText);
    } catch (const std::exception& e) {
        Damaged("default " + d.name + " does not parse: " + e.what());
    }
    return d;
}

IndexDef ReadIndex(ImageReader& r, const Table& t) {
    IndexDef ix;
    ix.name = r.Str();
    const std::uint8_t flags = r.U8();
    ix.unique = flags & 1;
    ix.clustered = flags & 2;
    ix.primaryKey = flags & 4;
    const std::size_t columns = r.Count(4);
    for (std::size_t k = 0; k < columns; ++k) ix.columns.push_back(r.Str());
    ix.indid = static_cast<int>(r.U32());
    ix.constraintId = static_cast<int>(r.I64());
    ix.fillFactor = static_cast<int>(r.U32());
    ix.created = ReadDate(r);
    for (const auto& c : ix.columns)
        if (t.FindColumn(c) < 0) Damaged("index " + ix.name + " names a missing column");
    return ix;
}

void ReadRows(ImageReader& r, Table& t) {
    const std::int64_t rows = r.I64();
    if (rows < 0) Damaged("negative row count");
    Row row(t.columns.size());
    for (std::int64_t k = 0; k < rows; ++k) {
        for (Value& v : row) v = ReadValue(r);
        t.store.Insert(row);
    }
}

std::unique_ptr<Table> ReadTable(ImageReader& r, const DefaultCompiler& compile) {
    auto t = std::make_unique<Table>();
    t->id = static_cast<int>(r.I64());
    t->name = r.Str();
    t->created = ReadDate(r);
    t->nextColid = static_cast<int>(r.U32());
    t->identityUsed = r.U8() != 0;
    t->identityLast = r.I64();
    const std::size_t columns = r.Count(8);
    if (columns == 0) Damaged("table without columns");
    for (std::size_t i = 0; i < columns; ++i) t->columns.push_back(ReadColumn(r));
    for (const auto& c : t->columns)
        if (c.colid >= t->nextColid) Damaged("column id beyond the table's next column id");
    const std::size_t defaults = r.Count(8);
    for (std::size_t i = 0; i < defaults; ++i) t->defaults.push_back(ReadDefault(r, compile));
    const std::size_t indexes = r.Count(8);
    for (std::size_t i = 0; i < indexes; ++i) t->indexes.push_back(ReadIndex(r, *t));
    ReadRows(r, *t);
    t->RebuildStoreIndexes();
    return t;
}

// Checks magic, version, length and checksum; returns the payload.
std::string_view ReadEnvelope(std::string_view all) {
    const bool magicOk = all.substr(0, kMagic.size()) == kMagic;
    if (all.size() >= kMagic.size() && !magicOk)
        throw std::runtime_error("not a sqlstandin database image (bad magic)");
    if (all.size() < kHeaderSize || !magicOk)
        throw std::runtime_error("database image is truncated");
    const std::uint32_t version = LoadU32(all.data() + kMagic.size());
    if (version < kOldestReadableVersion || version > kVersion)
        throw std::runtime_error("database image has format version " + std::to_string(version) +
                                 "; this program reads versions " +
                                 std::to_string(kOldestReadableVersion) + " to " +
                                 std::to_string(kVersion));
    // Version 1 images exist only inside snapshot files written by earlier sqlstandin releases;
    // the snapshot's CRC-32C has covered every byte of them, FNV-1a trailer included, so that
    // trailer is skipped rather than computed a second way.
    const std::size_t trailer = version == 1 ? 8 : 4;
    const std::uint64_t size = LoadU64(all.data() + kMagic.size() + 4);
    const std::size_t rest = all.size() - kHeaderSize;
    if (size > rest || rest - size < trailer)
        throw std::runtime_error("database image is truncated");
    if (rest - size != trailer) Damaged("data after its end");
    const std::string_view payload = all.substr(kHeaderSize, size);
    if (version == kVersion &&
        LoadU32(all.data() + kHeaderSize + size) != Crc32c(payload.data(), payload.size()))
        Damaged("checksum mismatch");
    return payload;
}

// At least the bytes the image of the rows takes unless text columns hold more than some
// hundreds of bytes a row: a value's tag and widest number, and the declared length of text.
// Room reserved and never written costs no memory (the pages are never touched), while an image
// grown by doubling copies itself again and again (most of a large database's checkpoint).
std::size_t ImageSizeBound(const Catalogue& cat) {
    std::size_t bound = 1 << 16;
    for (const Table* t : cat.Tables()) {
        std::size_t row = 0;
        for (const Column& c : t->columns) {
            row += 1 + 18;
            if (c.type.id == TypeId::Char || c.type.id == TypeId::VarChar)
                row += static_cast<std::size_t>(c.type.length);
            else if (c.type.id == TypeId::Text)
                row += 256;
        }
        bound += 4096 + row * t->store.Count();
    }
    return bound;
}

}  // namespace

std::string WriteImage(const Catalogue& cat) {
    // The header goes first with a length patched in once the payload is written.
    std::string image;
    image.reserve(ImageSizeBound(cat));
    image += kMagic;
    PutU32(image, kVersion);
    const std::size_t sizeAt = image.size();
    PutU64(image, 0);
    PutI64(image, cat.ObjectCounter());
    PutU32(image, static_cast<std::uint32_t>(cat.Logins().size()));
    for (const auto& [user, password] : cat.Logins()) {
        PutString(image, user);
        PutString(image, password);
    }
    const auto tables = cat.Tables();
    PutU32(image, static_cast<std::uint32_t>(tables.size()));
    for (const Table* t : tables) PutTable(image, *t);

    const std::size_t payloadSize = image.size() - kHeaderSize;
    std::string size;
    PutU64(size, payloadSize);
    image.replace(sizeAt, size.size(), size);
    PutU32(image, Crc32c(image.data() + kHeaderSize, payloadSize));
    return image;
}

void ReadImage(std::string_view image, Catalogue& cat, const DefaultCompiler& compileDefault) {
    ImageReader r(ReadEnvelope(image));
    cat.SetObjectCounter(r.I64());
    const std::size_t logins = r.Count(8);
    for (std::size_t i = 0; i < logins; ++i) {
        std::string user = r.Str();
        cat.Logins()[user] = r.Str();
    }
    const std::size_t tables = r.Count(8);
    for (std::size_t i = 0; i < tables; ++i) {
        auto t = ReadTable(r, compileDefault);
        if (cat.FindObject(t->name).kind != ObjectRef::Kind::None)
            Damaged("two objects named " + t->name);
        cat.AddTable(std::move(t));
    }
    if (!r.AtEnd()) Damaged("unexpected bytes after the last table");
}

}  // namespace standin
