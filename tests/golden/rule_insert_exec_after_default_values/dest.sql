insert into log default values
exec notify @id
insert log (a) values (1)
execute notify @id
insert into #t (a, b) select * from dbo.fill( @id)
