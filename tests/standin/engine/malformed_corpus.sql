-- The statements MalformedInputTest mutates, and before them (up to GO) the small database it
-- runs them against.
create table lib_bianma (bm_no int NOT NULL IDENTITY (1, 1), bm_code char(10) NOT NULL, bm_month numeric(4,0) default(0), bm_name char(40) default(''), bm_logdate datetime default(getdate()))
ALTER TABLE lib_bianma ADD CONSTRAINT PK_lib_bianma PRIMARY KEY NONCLUSTERED (bm_no)
create index ix_code on lib_bianma(bm_code)
insert into lib_bianma(bm_code, bm_month, bm_name) values('A001', 7, '读者'), ('A002', 12, 'x'), ('A003', 1, NULL)
GO
update lib_bianma set bm_name='中文标题' where bm_no=2
insert into lib_bianma(bm_code, bm_month) values('B001', 3)
alter table lib_bianma add bm_issn char(13) default('')
alter table lib_bianma ALTER COLUMN bm_name char(20)
delete from lib_bianma where bm_code='A003' or bm_month > 10
select bm_code, sum(bm_month) as s from lib_bianma where bm_name like '%x%' group by bm_code order by s desc
insert into lib_bianma(bm_code) select bm_code from lib_bianma where bm_no in (select bm_no from lib_bianma where bm_month=7)
update lib_bianma set bm_logdate=bm_logdate+30, bm_month=CONVERT(numeric(4,0), '5') where bm_code in ('A001','A002')
create table t2 ( a int NOT NULL IDENTITY (1, 1), b char(4) default('z'), CONSTRAINT PK_t2 PRIMARY KEY (a) )
select name from syscolumns where name='bm_no' and id in (select id from sysobjects where name = 'lib_bianma')
