if exists( select * from SysProcedure where Proc_Name = 'FixPrices')
  drop procedure "FixPrices"
