// The ISSN code table import: creates lib_issncode when it is missing and fills it from issn.dat
// in the program's folder. Codes the table lacks are inserted; a stored row only gets the ISSN or
// CN it lacks; nothing stored is overwritten and no row is deleted. One lookup and at most one
// insert or update per line; the file is read one line at a time.
//
// issn.dat is CP936 bytes: each line is decoded and cut into fields as bytes (IssnLine.h), then
// every field is converted to the program's UTF-8 for the statements. A line whose fields are not
// CP936 text is skipped like a line whose insert fails: nothing of it reaches the database.

#include "Cp936.h"
#include "DoubleQuotes.h"
#include "IssnLine.h"
#include "ProgramFolderFiles.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// The record of one stored line in UTF-8, or nothing when a field is not CP936 text.
std::optional<IssnRecord> InUtf8(const IssnRecord& cp936) {
    try {
        return IssnRecord{Cp936ToUtf8(cp936.code), Cp936ToUtf8(cp936.issn), Cp936ToUtf8(cp936.cn)};
    } catch (const TextCodecError&) {
        return std::nullopt;
    }
}

}  // namespace

void TUpgradeRunner::DoCodeIssnWork() {
    // 1. The bar is shown for the whole import (and left shown at the end).
    ShowBar();

    // 2. The code table and its nonclustered key, when missing.
    if (!TableExists("lib_issncode")) {
        RunSql({"create table lib_issncode ( ",
                "\t\tic_code \tchar(10) not null,",
                "\t\tic_issn \tchar(13) DEFAULT(''),",
                "\t\tic_cnno \tchar(12) DEFAULT(''))"});
        RunSql({"ALTER TABLE lib_issncode ADD CONSTRAINT ",
                "PK_lib_issncode PRIMARY KEY NONCLUSTERED",
                "(ic_code)"});
    }

    // 3. The bar starts at 10.
    SetBar(10);

    // 4. issn.dat of the program's folder; a missing file ends the run with a box naming it.
    TextFileLines file(ProgramFolder, "issn.dat");

    // 5. One record a line.
    const LoopTally tally = BeginLoop();
    long long lines = 0;
    std::string line;
    while (file.ReadLine(line)) {
        ++lines;
        PumpMessages();
        const std::optional<IssnRecord> stored = ReadIssnDatLine(line);
        if (!stored) continue;  // shorter than 2 bytes: no record, the bar stays

        if (const std::optional<IssnRecord> record = InUtf8(*stored)) {
            // The numbers already stored for the code; NULL reads as empty.
            std::string storedIssn;
            std::string storedCn;
            const bool found = LookUp(qrTmp,
                                      {"select * from lib_issncode ",
                                       "where ic_code=" + Quoted(record->code)},
                                      [&] {
                                          storedIssn = TrimmedField(qrTmp, "ic_issn");
                                          storedCn = TrimmedField(qrTmp, "ic_cnno");
                                      });

            // Insert the code, or fill in only what is still empty; a failure skips the line.
            if (!found) {
                RunSqlProtected({"insert into lib_issncode(ic_code,ic_issn,ic_cnno) values( ",
                                 Quoted(record->code) + ",",
                                 Quoted(record->issn) + ",",
                                 Quoted(record->cn) + ")"});
            } else if (storedIssn.empty() && storedCn.empty()) {
                RunSqlProtected({"update lib_issncode set ",
                                 "ic_issn=" + Quoted(record->issn) + ",",
                                 "ic_cnno=" + Quoted(record->cn) + " ",
                                 "where ic_code=" + Quoted(record->code)});
            } else if (storedIssn.empty()) {
                RunSqlProtected({"update lib_issncode set ",
                                 "ic_issn=" + Quoted(record->issn) + " ",
                                 "where ic_code=" + Quoted(record->code)});
            } else if (storedCn.empty()) {
                RunSqlProtected({"update lib_issncode set ",
                                 "ic_cnno=" + Quoted(record->cn) + " ",
                                 "where ic_code=" + Quoted(record->code)});
            }
        }
        AdvanceBar();
    }
    EndLoop(tally, "over the lines of issn.dat", lines);
    // 6. The file closes with `file`, also when an error leaves the loop.
}

}  // namespace kavel
