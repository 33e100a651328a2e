CREATE VIEW dbo.v AS
SELECT [date], nchar(1) AS c, LEN(b) AS l
FROM dbo.t WITH (INDEX = ix), sysobjects
WHERE a ! = 1 AND @@OPTIONS > 0 AND sp_who = 1
