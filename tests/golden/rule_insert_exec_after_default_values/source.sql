INSERT INTO log DEFAULT VALUES
EXEC notify @id
INSERT log (a) VALUES (1)
EXECUTE notify @id
INSERT INTO #t (a, b) EXEC dbo.fill @id
