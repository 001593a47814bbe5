// "处理ISSN": converts the plain source list issnok.txt into issn.dat, both in the program's
// folder, line for line through the issn.dat line codec. Bytes are copied as they stand; lines
// shorter than 20 bytes carry no record and are skipped.
//
// The new issn.dat is written beside the old one and replaces it only once complete, so a
// missing or unreadable source, a folder that cannot be written, or a source in which no line is
// a record leaves the earlier issn.dat exactly as it was.

#include "IssnLine.h"
#include "ProgramFolderFiles.h"
#include "UpgradeRunner.h"

namespace kavel {

void TUpgradeRunner::IssnDatFromList() {
    {  // both files are closed before the box
        TextFileLines source(ProgramFolder, "issnok.txt");
        ReplacedFile target(ProgramFolder, "issn.dat");

        std::string line;
        long records = 0;
        while (source.ReadLine(line)) {
            PumpMessages();
            if (const std::optional<std::string> record = IssnRecordFromSourceLine(line)) {
                target.WriteLine(EncodeIssnLine(*record));
                ++records;
            }
        }
        // An empty issn.dat would empty the code table of every library it is shipped to.
        if (records == 0)
            throw EInOutError(FileInFolder("issnok.txt", ProgramFolder) +
                              "中没有可用的记录：每条记录至少 20 个字节。issn.dat 未更改。");
        target.Commit();
    }

    messages_.Show("处理完成", kInfoCaption, mb::kOk | mb::kIconInformation);
}

}  // namespace kavel
