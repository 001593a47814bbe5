// Writes the issn.dat shipped with UpKavel from its source list issnok.txt, line for line through
// the same codec as the "处理ISSN" tool: lines shorter than 20 bytes are skipped, every other
// line becomes one substituted record ending with CR LF.
// Usage: issn_dat_writer ISSNOK_TXT ISSN_DAT

#include <cstdio>
#include <fstream>
#include <string>

#include "IssnLine.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: issn_dat_writer ISSNOK_TXT ISSN_DAT\n");
        return 2;
    }
    std::ifstream source(argv[1], std::ios::binary);
    if (!source) {
        std::fprintf(stderr, "issn_dat_writer: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ofstream target(argv[2], std::ios::binary | std::ios::trunc);
    std::string line;
    long records = 0;
    while (std::getline(source, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const auto record = kavel::IssnRecordFromSourceLine(line)) {
            target << kavel::EncodeIssnLine(*record) << "\r\n";
            ++records;
        }
    }
    target.close();
    if (!target || source.bad()) {
        std::fprintf(stderr, "issn_dat_writer: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%ld records\n", records);
    return 0;
}
