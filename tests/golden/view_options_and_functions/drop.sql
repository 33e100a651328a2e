if exists( select * from SysViews where ViewName = 'vOdd')
  drop view [vOdd]
