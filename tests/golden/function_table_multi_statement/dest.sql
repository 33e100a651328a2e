create procedure dba.f (@p int)
as
begin
  create table #t (a int, b varchar(10))
 
  insert #t select a, b from x where k = @p
  begin
    select * from #t
    return
  end
end
select * from #t
