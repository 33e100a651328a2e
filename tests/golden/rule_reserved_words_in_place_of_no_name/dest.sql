declare @price dec(10,2), @rate DEC
select Cast(@rate as dec(5,2)), Convert(dec, @price), 'name', 'other'
waitfor TIME '22:00'
select [date], [date], t.[time], d.[dec], Dateadd (day, 1, [date]) from t, d
select [dec] from t
