if exists( select * from SysProcedure where Proc_Name = 'intDateType$convertToDatetime')
  drop function "intDateType$convertToDatetime"
