DECLARE @price dec(10,2), @rate DEC
SELECT CAST(@rate AS dec(5,2)), CONVERT(dec, @price), N'name', n'other'
WAITFOR TIME '22:00'
SELECT [date], date, t.time, d.dec, DATEADD(day, 1, date) FROM t, d
SELECT dec FROM t
