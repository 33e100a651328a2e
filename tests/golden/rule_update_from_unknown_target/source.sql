UPDATE t SET x = 1 FROM u WHERE u.id = 5
UPDATE dbo.T SET v = i.v FROM inserted i WHERE dbo.T.id = i.id
UPDATE x SET a = 1 FROM (SELECT 1 AS a) x
UPDATE o SET a = 1 FROM (u JOIN Orders o ON o.id = u.id)
