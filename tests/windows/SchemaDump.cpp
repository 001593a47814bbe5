// schema_dump DSN PASSWORD: prints every user table of the database behind the data source with
// its columns, keys and indexes, in the form of tests/upkavel/expected/*.schema (the Linux
// suite's Schema()), read as sa through the program's own ODBC layer. The whole-upgrade test
// runs it under Wine on the database that UpKavelCmd.exe upgraded.

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <string>

#include "SchemaText.h"
#include "TDatabase.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: schema_dump DSN PASSWORD\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);  // "\n" as in the expected file, not CR LF
    try {
        kavel::TDatabase db;
        db.AliasName = argv[1];
        db.Params = {"USER NAME=sa", std::string("PASSWORD=") + argv[2]};
        db.Open();
        const std::string schema = kavel::test::SchemaOf(db);
        std::fwrite(schema.data(), 1, schema.size(), stdout);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "schema_dump: %s\n", e.what());
        return 1;
    }
}
