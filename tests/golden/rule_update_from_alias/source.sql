UPDATE a SET x = 1 FROM Orders a WHERE a.id = @id
UPDATE o SET x = 1 FROM [Orders] AS o
UPDATE Orders SET x = 1 FROM Orders JOIN u ON u.id = Orders.id
DELETE FROM a FROM Orders a WHERE a.id = 1
