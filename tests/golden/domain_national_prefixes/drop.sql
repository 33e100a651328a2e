if exists( select * from SysUserType where Type_Name = 'ssn')
  exec sp_droptype 'ssn'
