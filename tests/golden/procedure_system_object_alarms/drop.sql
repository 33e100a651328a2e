if exists( select * from SysProcedure where Proc_Name = 'p')
  drop procedure "p"
