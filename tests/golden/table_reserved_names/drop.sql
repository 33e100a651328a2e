if exists( select * from SysTable where Table_Name = 'user')
  drop table [user]
