insert into #t select * from p( @a, @b)
