DECLARE @t TABLE (id int IDENTITY (1, 1), name varchar (20))
INSERT @t SELECT id, name FROM src
SELECT * FROM @t
