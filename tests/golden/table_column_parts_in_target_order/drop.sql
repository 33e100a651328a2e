if exists( select * from SysTable where Table_Name = 'jobs')
  drop table [jobs]
