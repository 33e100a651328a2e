create table #t (id int not null default autoincrement, name varchar (20) null)
insert #t select id, name from src
select * from #t
