// "下载ISSN": writes the rows of lib_issncode into issn.dat in the program's folder, each row as
// one fixed-column record through the issn.dat line codec. NULL reads as empty text.
//
// The new issn.dat is written beside the old one and replaces it only once every row is in it:
// a failing query (lib_issncode missing ...) or a folder that cannot be written leaves the earlier
// issn.dat exactly as it was. An empty table gives an empty issn.dat.

#include "Cp936.h"
#include "IssnLine.h"
#include "ProgramFolderFiles.h"
#include "UpgradeRunner.h"

namespace kavel {

void TUpgradeRunner::IssnDatFromTable() {
    ReplacedFile target(ProgramFolder, "issn.dat");

    Walk(qrTmp, ("select * from lib_issncode "), [&] {
        PumpMessages();
        // Columns count bytes of the file's code page, so the cut works on CP936.
        const std::string record = IssnRecordFromRow(Utf8ToCp936(TrimmedField(qrTmp, "ic_code")),
                                                     Utf8ToCp936(TrimmedField(qrTmp, "ic_issn")),
                                                     Utf8ToCp936(TrimmedField(qrTmp, "ic_cnno")));
        target.WriteLine(EncodeIssnLine(record));
    });
    target.Commit();

    messages_.Show("下载处理完成", kInfoCaption, mb::kOk | mb::kIconInformation);
}

}  // namespace kavel
