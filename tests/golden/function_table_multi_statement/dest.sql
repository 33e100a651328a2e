create procedure dba.f (@p int)
as
begin
  create table #t (a int null, b varchar(10) null)
 
  insert #t select a, b from x where k = @p
  begin
    select * from #t
    return
  end
end
select * from #t
