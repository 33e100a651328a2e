if exists( select * from SysUserType where Type_Name = 'name_t')
  exec sp_droptype 'name_t'
