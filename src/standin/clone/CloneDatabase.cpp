#include "clone/CloneDatabase.h"

#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "clone/CatalogueReader.h"
#include "clone/CopyProgress.h"
#include "clone/CopyWriter.h"
#include "clone/RoundTrip.h"
#include "clone/TableScript.h"
#include "storage/DatabaseFolder.h"

namespace standin::clone {
namespace fs = std::filesystem;
namespace {

constexpr int kRoundTripsPerMeasure = 100;

// Copies one table: creates it, copies its rows, adds its keys and indexes, and checks that the
// copy counts the rows and the current identity value the source had.
void CopyTable(kavel::TDatabase& source, const SourceTable& t, CopyWriter& copy,
               CopyProgress& progress, const CloneOptions& options, CloneOutcome& outcome) {
    copy.Run(CreateTableStatement(t));
    try {
        progress.StartTable(t.name, t.rows);
        const std::int64_t rows = CopyRows(source, t, copy, progress, options.batch);
        progress.EndTable();
        for (const std::string& s : KeyAndIndexStatements(t)) copy.Run(s);
        outcome.rowsCopied += rows;
        if (rows != t.rows)
            outcome.catalogue.unreproduced.push_back(
                {"rows", t.name, t.name,
                 "copied " + Grouped(rows) + " rows where the source counted " + Grouped(t.rows) +
                     " before: it was being changed while it was copied"});
        if (t.identityCurrent) {
            const TextRows now = copy.Query("select IDENT_CURRENT(" + SingleQuoted(t.name) + ")");
            const std::string expected = std::to_string(*t.identityCurrent);
            if (now.empty() || now[0].empty() || now[0][0].value_or("") != expected)
                outcome.catalogue.unreproduced.push_back(
                    {"identity value", t.IdentityColumn()->name, t.name,
                     "the source's current value " + expected +
                         " lies below its largest value; the copy's is " +
                         (now.empty() || now[0].empty() ? std::string("unknown")
                                                        : now[0][0].value_or("NULL"))});
        }
    } catch (...) {
        try {
            copy.Run("DROP TABLE " + Bracketed(t.name));
        } catch (const std::exception&) {
        }
        throw;
    }
}

}  // namespace

CloneOutcome CloneDatabase(const CloneOptions& options) {
    CloneOutcome outcome;
    kavel::TDatabase source;
    ConnectSource(source, options.source);
    // The source's round trip, for the rehearsal's estimate of the live run, measured before,
    // amid and after the copy so a busy moment of the server weighs less.
    const auto measureRoundTrips = [&] {
        const auto seconds = MeasureRoundTrips(source, kRoundTripsPerMeasure);
        outcome.roundTrips.insert(outcome.roundTrips.end(), seconds.begin(), seconds.end());
    };
    measureRoundTrips();
    outcome.catalogue = ReadCatalogue(OdbcQueryText(source));

    const fs::path dir = options.dir.lexically_normal();
    std::error_code ec;
    const bool existed = fs::exists(dir, ec);
    const DatabaseFolder target(dir);
    target.PrepareForCreate();
    const DatabaseFolder assembly(dir / (".sqlstandin-clone-" + std::to_string(::getpid())));
    try {
        Engine::Create(assembly.Dir(), options.saPassword);
        CopyProgress progress(options.progress);
        {
            CopyWriter copy(assembly.Dir());
            const std::size_t half = outcome.catalogue.tables.size() / 2;
            for (std::size_t i = 0; i < outcome.catalogue.tables.size(); ++i) {
                if (i == half) measureRoundTrips();
                const SourceTable& t = outcome.catalogue.tables[i];
                if (!t.problems.empty()) continue;
                try {
                    CopyTable(source, t, copy, progress, options, outcome);
                    ++outcome.tablesCopied;
                } catch (const std::exception& e) {
                    outcome.catalogue.unreproduced.push_back({"table", t.name, "", e.what()});
                }
            }
            copy.Checkpoint();
        }
        measureRoundTrips();
        outcome.seconds = progress.TotalSeconds();
        target.MoveDatabaseFrom(assembly);
        fs::remove_all(assembly.Dir(), ec);
    } catch (...) {
        fs::remove_all(assembly.Dir(), ec);
        target.RemoveDatabaseFiles();
        if (!existed) fs::remove(dir, ec);
        throw;
    }
    for (const Unreproduced& u : outcome.catalogue.unreproduced)
        if (SpoilsRehearsal(u)) outcome.usable = false;
    return outcome;
}

std::string CloneReport(const CloneOutcome& outcome, const fs::path& dir) {
    const auto& cat = outcome.catalogue;
    const auto rate =
        outcome.seconds > 0
            ? static_cast<std::int64_t>(static_cast<double>(outcome.rowsCopied) / outcome.seconds)
            : 0;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", outcome.seconds);
    std::string out = "Copied " + std::to_string(outcome.tablesCopied) + " of " +
                      std::to_string(cat.tables.size()) + " tables, " +
                      Grouped(outcome.rowsCopied) + " rows in " + seconds + " s (" + Grouped(rate) +
                      " rows/s) into " + dir.string() + "\n";
    out += RoundTripLine(outcome.roundTrips);
    if (cat.unreproduced.empty()) {
        out += "The copy lacks nothing of the source.\n";
    } else {
        out += "The copy lacks:\n";
        for (const Unreproduced& u : cat.unreproduced)
            out += "  " + u.kind + " " + u.name +
                   (u.table.empty() || u.table == u.name ? "" : " (on " + u.table + ")") + ": " +
                   u.why + (SpoilsRehearsal(u) ? "  [affects the upgrade]" : "") + "\n";
    }
    out +=
        outcome.usable
            ? "The copy is usable for a rehearsal of the upgrade.\n"
            : "The copy is NOT usable for a rehearsal: the upgrade would meet a different database "
              "(see the lines marked [affects the upgrade]).\n";
    return out;
}

}  // namespace standin::clone
