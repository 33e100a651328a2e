if exists( select * from SysTable where Table_Name = 'calc')
  drop table [calc]
