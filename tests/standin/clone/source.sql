-- The source database of the clone tests: every type, identity, default, key and index kind the
-- upgrade uses; Chinese text, quotes, NULLs, trailing blanks, a long text value; 50,000 rows in a
-- table whose last identity values were deleted; an empty table whose identity has moved; a
-- table without identity.
create table lib_all (
  al_no int NOT NULL IDENTITY (1, 1),
  al_code char(10) NOT NULL default(''),
  al_name varchar(40) NULL,
  al_note text NULL,
  al_small smallint NULL default(0),
  al_tiny tinyint NULL,
  al_flag bit NULL,
  al_price numeric(7,2) NULL default(0),
  al_rate decimal(9,4) NULL,
  al_date datetime NULL default(getdate()),
  al_mark char(1) NULL CONSTRAINT DF_lib_all_mark default('0'))
GO
alter table lib_all add constraint PK_lib_all primary key nonclustered (al_no)
create index lib_all_code on lib_all (al_code, al_name) with pad_index, fillfactor = 85
insert into lib_all (al_code, al_name, al_note, al_small, al_tiny, al_flag, al_price, al_rate, al_date, al_mark) values
 ('0001', N'中国图书馆学报', N'季刊，每期长长长长长长长长长长', -32768, 255, 1, -99999.99, 12345.6789, '2005-03-01 12:34:56.997', '1'),
 ('it''s', 'trailing  ', '', 32767, 0, 0, 0.01, -0.0001, '1753-01-01', NULL),
 ('', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, '0')
insert into lib_all (al_code) values ('defaults')
insert into lib_all (al_code, al_note) values ('long', replace(space(5000), ' ', 'x'))
GO
create table lib_big (bg_no int NOT NULL IDENTITY (100, 10), bg_k int NOT NULL, bg_text varchar(20) NULL, bg_day datetime NULL)
GO
insert into lib_big (bg_k, bg_text, bg_day) values
  (1, N'期刊1', '2008-01-2 10:30:00.003'), (2, N'期刊2', '2008-01-3 10:30:00.003'), (3, N'期刊3', '2008-01-4 10:30:00.003'), (4, N'期刊4', '2008-01-5 10:30:00.003'), (5, N'期刊5', '2008-01-6 10:30:00.003'),
  (6, N'期刊6', '2008-01-7 10:30:00.003'), (7, NULL, '2008-01-8 10:30:00.003'), (8, N'期刊8', '2008-01-9 10:30:00.003'), (9, N'期刊9', '2008-01-10 10:30:00.003'), (10, N'期刊10', '2008-01-11 10:30:00.003'),
  (11, N'期刊11', '2008-01-12 10:30:00.003'), (12, N'期刊12', '2008-01-13 10:30:00.003'), (13, N'期刊13', '2008-01-14 10:30:00.003'), (14, NULL, '2008-01-15 10:30:00.003'), (15, N'期刊15', '2008-01-16 10:30:00.003'),
  (16, N'期刊16', '2008-01-17 10:30:00.003'), (17, N'期刊17', '2008-01-18 10:30:00.003'), (18, N'期刊18', '2008-01-19 10:30:00.003'), (19, N'期刊19', '2008-01-20 10:30:00.003'), (20, N'期刊20', '2008-01-21 10:30:00.003'),
  (21, NULL, '2008-01-22 10:30:00.003'), (22, N'期刊22', '2008-01-23 10:30:00.003'), (23, N'期刊23', '2008-01-24 10:30:00.003'), (24, N'期刊24', '2008-01-25 10:30:00.003'), (25, N'期刊25', '2008-01-26 10:30:00.003'),
  (26, N'期刊26', '2008-01-27 10:30:00.003'), (27, N'期刊27', '2008-01-28 10:30:00.003'), (28, NULL, '2008-01-1 10:30:00.003'), (29, N'期刊29', '2008-01-2 10:30:00.003'), (30, N'期刊30', '2008-01-3 10:30:00.003'),
  (31, N'期刊31', '2008-01-4 10:30:00.003'), (32, N'期刊32', '2008-01-5 10:30:00.003'), (33, N'期刊33', '2008-01-6 10:30:00.003'), (34, N'期刊34', '2008-01-7 10:30:00.003'), (35, NULL, '2008-01-8 10:30:00.003'),
  (36, N'期刊36', '2008-01-9 10:30:00.003'), (37, N'期刊37', '2008-01-10 10:30:00.003'), (38, N'期刊38', '2008-01-11 10:30:00.003'), (39, N'期刊39', '2008-01-12 10:30:00.003'), (40, N'期刊40', '2008-01-13 10:30:00.003'),
  (41, N'期刊41', '2008-01-14 10:30:00.003'), (42, NULL, '2008-01-15 10:30:00.003'), (43, N'期刊43', '2008-01-16 10:30:00.003'), (44, N'期刊44', '2008-01-17 10:30:00.003'), (45, N'期刊45', '2008-01-18 10:30:00.003'),
  (46, N'期刊46', '2008-01-19 10:30:00.003'), (47, N'期刊47', '2008-01-20 10:30:00.003'), (48, N'期刊48', '2008-01-21 10:30:00.003'), (49, NULL, '2008-01-22 10:30:00.003'), (50, N'期刊50', '2008-01-23 10:30:00.003')
GO
insert into lib_big (bg_k, bg_text, bg_day) select bg_k + 50, bg_text, bg_day + 1 from lib_big
GO
insert into lib_big (bg_k, bg_text, bg_day) select bg_k + 100, bg_text, bg_day + 2 from lib_big
GO
insert into lib_big (bg_k, bg_text, bg_day) select bg_k + 200, bg_text, bg_day + 3 from lib_big
GO
insert into lib_big (bg_k, bg_text, bg_day) select bg_k + 400, bg_text, bg_day + 4 from lib_big
GO
insert into lib_big (bg_k, bg_text, bg_day) select bg_k + 800, bg_text, bg_day + 5 from lib_big
GO
insert into lib_big (bg_k, bg_text, bg_day) select bg_k + 1600, bg_text, bg_day + 6 from lib_big
GO
insert into lib_big (bg_k, bg_text, bg_day) select bg_k + 3200, bg_text, bg_day + 7 from lib_big
GO
insert into lib_big (bg_k, bg_text, bg_day) select bg_k + 6400, bg_text, bg_day + 8 from lib_big
GO
insert into lib_big (bg_k, bg_text, bg_day) select bg_k + 12800, bg_text, bg_day + 9 from lib_big
GO
insert into lib_big (bg_k, bg_text, bg_day) select bg_k + 25600, bg_text, bg_day + 10 from lib_big
GO
delete from lib_big where bg_k > 50000
create unique index lib_big_k on lib_big (bg_k)
create table ver_manage (vm_mess varchar(40) NOT NULL)
insert into ver_manage values ('ZZ20070312.BKZD')
create table lib_moved (mv_no int NOT NULL IDENTITY (5, 5), mv_v char(2) NULL)
insert into lib_moved (mv_v) values ('a'), ('b')
delete from lib_moved
GO
