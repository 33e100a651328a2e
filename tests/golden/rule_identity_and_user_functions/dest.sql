set @id = @@IDENTITY
set @id = @@IDENTITY
select Number (*) as id into #t from u
set @n = Length (@s)
select user, user, user
