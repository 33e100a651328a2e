create table #t (id int identity, name varchar (20))
insert #t select id, name from src
select * from #t
