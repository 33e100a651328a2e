update Orders a set x = 1 from Orders a where a.id = @id
update [Orders] o set x = 1 from [Orders] as o
update Orders set x = 1 from Orders join u on u.id = Orders.id
delete from Orders a from Orders a where a.id = 1
