// The ISSN code table import: creates lib_issncode when it is missing and fills it from issn.dat
// in the program's folder. Codes the table lacks are inserted; a stored row only gets the ISSN or
// CN it lacks; nothing stored is overwritten and no row is deleted. One lookup and at most one
// insert or update per line; the file is read one line at a time.
//
// issn.dat is CP936 bytes: each line is decoded and cut into fields as bytes (IssnLine.h), then
// every field is converted to the program's UTF-8 for the statements. A byte that begins no CP936
// character is passed as '?', what a code-page-936 client sends for a byte it cannot map: the
// code and ISSN the import exists for are kept, and the journal counts such records.

#include "Cp936.h"
#include "DoubleQuotes.h"
#include "IssnLine.h"
#include "ProgramFolderFiles.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// CP936 bytes as UTF-8, each byte that begins no CP936 character becoming '?'. `replaced` turns
// true when one did.
std::string FieldInUtf8(std::string_view cp936, bool& replaced) {
    try {
        return Cp936ToUtf8(cp936);
    } catch (const TextCodecError&) {
        replaced = true;
    }
    std::string utf8;
    for (std::size_t i = 0; i < cp936.size();) {
        std::size_t length = 0;
        for (std::size_t tryLength : {std::size_t{1}, std::size_t{2}}) {
            if (i + tryLength > cp936.size()) break;
            try {
                utf8 += Cp936ToUtf8(cp936.substr(i, tryLength));
                length = tryLength;
                break;
            } catch (const TextCodecError&) {
            }
        }
        if (length == 0) {
            utf8 += '?';
            length = 1;
        }
        i += length;
    }
    return utf8;
}

// The record of one stored line in UTF-8.
IssnRecord InUtf8(const IssnRecord& cp936, bool& replaced) {
    return IssnRecord{FieldInUtf8(cp936.code, replaced), FieldInUtf8(cp936.issn, replaced),
                      FieldInUtf8(cp936.cn, replaced)};
}

}  // namespace

void TUpgradeRunner::DoCodeIssnWork() {
    // 1. The bar is shown for the whole import (and left shown at the end).
    ShowBar();

    // 2. The code table and its nonclustered key, when missing.
    if (!TableExists("lib_issncode")) {
        RunSql({"create table lib_issncode ( ", "\t\tic_code \tchar(10) not null,",
                "\t\tic_issn \tchar(13) DEFAULT(''),", "\t\tic_cnno \tchar(12) DEFAULT(''))"});
        RunSql({"ALTER TABLE lib_issncode ADD CONSTRAINT ",
                "PK_lib_issncode PRIMARY KEY NONCLUSTERED", "(ic_code)"});
    }

    // 3. The bar starts at 10.
    SetBar(10);

    // 4. issn.dat of the program's folder; a missing file ends the run with a box naming it.
    TextFileLines file(ProgramFolder, "issn.dat");

    // 5. One record a line.
    const LoopTally tally = BeginLoop();
    long long lines = 0;
    long long notText = 0;  // records with a byte that is no CP936 text
    std::string line;
    while (file.ReadLine(line)) {
        ++lines;
        PumpMessages();
        const std::optional<IssnRecord> stored = ReadIssnDatLine(line);
        if (!stored) continue;  // shorter than 2 bytes: no record, the bar stays

        bool replaced = false;
        const IssnRecord record = InUtf8(*stored, replaced);
        if (replaced) ++notText;
        // The numbers already stored for the code; NULL reads as empty.
        std::string storedIssn;
        std::string storedCn;
        const bool found = LookUp(
            qrTmp, {"select * from lib_issncode ", "where ic_code=" + Quoted(record.code)}, [&] {
                storedIssn = TrimmedField(qrTmp, "ic_issn");
                storedCn = TrimmedField(qrTmp, "ic_cnno");
            });

        // Insert the code, or fill in only what is still empty; a failure skips the line.
        if (!found) {
            RunSqlProtected({"insert into lib_issncode(ic_code,ic_issn,ic_cnno) values( ",
                             Quoted(record.code) + ",", Quoted(record.issn) + ",",
                             Quoted(record.cn) + ")"});
        } else if (storedIssn.empty() && storedCn.empty()) {
            RunSqlProtected({"update lib_issncode set ", "ic_issn=" + Quoted(record.issn) + ",",
                             "ic_cnno=" + Quoted(record.cn) + " ",
                             "where ic_code=" + Quoted(record.code)});
        } else if (storedIssn.empty()) {
            RunSqlProtected({"update lib_issncode set ", "ic_issn=" + Quoted(record.issn) + " ",
                             "where ic_code=" + Quoted(record.code)});
        } else if (storedCn.empty()) {
            RunSqlProtected({"update lib_issncode set ", "ic_cnno=" + Quoted(record.cn) + " ",
                             "where ic_code=" + Quoted(record.code)});
        }
        AdvanceBar();
    }
    EndLoop(tally, "over the lines of issn.dat", lines);
    if (notText > 0)
        Journal("issn.dat: " + std::to_string(notText) +
                " records had bytes that are no GBK text; each was sent as '?'");
    // 6. The file closes with `file`, also when an error leaves the loop.
}

}  // namespace kavel
