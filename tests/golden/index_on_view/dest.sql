/*
  -- нет поддержки !!!
  create unique clustered index IX_vTotals on dbo.vTotals (id)
*/
