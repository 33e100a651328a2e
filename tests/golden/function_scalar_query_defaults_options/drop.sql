if exists( select * from SysProcedure where Proc_Name = 'CountOrders')
  drop function "CountOrders"
