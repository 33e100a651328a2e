if exists( select * from SysTable where Table_Name = 'T')
  drop table [T]
