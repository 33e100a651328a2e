if exists( select * from SysViews where ViewName = 'v')
  drop view [v]
