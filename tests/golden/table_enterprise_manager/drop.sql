if exists( select * from SysTable where Table_Name = 'Orders')
  drop table [Orders]
