if exists( select * from SysProcedure where Proc_Name = 'check_level')
  drop procedure "check_level"
