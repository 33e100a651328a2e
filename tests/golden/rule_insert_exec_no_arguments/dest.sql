insert into #t select * from p()
select * from #t
