-- The database of TdsEngineTest: a row with a value of every type (its long text value the test
-- adds), a row of NULLs, and a table for text in code page 936.
create table every_type (
  c_char char(6) null, c_varchar varchar(10) null, c_text text null,
  c_int int null, c_smallint smallint null, c_tinyint tinyint null, c_bit bit null,
  c_numeric numeric(10,2) null, c_decimal decimal(38,5) null, c_datetime datetime null)
GO
insert into every_type values ('中文', '升级', '', -2147483648, -32768, 255, 1,
  -12345678.90, 123456789012345678901234567890.12345, '2016-02-29 13:45:30.997')
insert into every_type (c_int) values (null)
GO
create table words (id int not null primary key, c4 char(4) null, v5 varchar(5) null)
GO
