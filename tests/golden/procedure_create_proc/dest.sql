create procedure dba.p @a int as
begin
  insert into #t select * from q( @a, 'x')
  drop table #a
  drop table #b
end
