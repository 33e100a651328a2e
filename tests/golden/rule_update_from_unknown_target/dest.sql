update t set x = 1 from t, u where u.id = 5
update dbo.T set v = i.v from dbo.T, inserted i where dbo.T.id = i.id
update x set a = 1 from (select 1 as a) x
update o set a = 1 from (u join Orders o on o.id = u.id)
