begin
  drop table #a
  drop table #b
  drop table #c
end
