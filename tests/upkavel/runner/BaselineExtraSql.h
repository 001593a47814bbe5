#pragma once
// Extra SQL for the baseline step's tests on the oldest layout, shared by the runner's tests and
// the window's.

#include <string>

namespace kavel::test {

// lib_issncode as the import leaves it: a code listed nowhere (1-777), an ISSN with a leading
// blank, an empty ISSN, a NULL CN, and quotes in a code and in a CN.
inline const std::string kIssnCodes = R"(
create table lib_issncode (ic_code char(10) not null, ic_issn char(13) default(''), ic_cnno char(12) default(''))
GO
alter table lib_issncode add constraint PK_lib_issncode primary key nonclustered (ic_code)
GO
insert into lib_issncode (ic_code, ic_issn, ic_cnno)
values ('1-001', '1000-1234', '11-1234/G2'), ('1-003', ' 2000-0002', ''), ('1-004', '', '31-0001'),
       ('1-006', '0000-0006', NULL), ('1-777', '7777-7777', '77-7777'), ('O''K-016', '1234-567X', '44-0''01')
GO
)";

}  // namespace kavel::test
