if exists( select * from SysProcedure where Proc_Name = 'f')
  drop function "f"
