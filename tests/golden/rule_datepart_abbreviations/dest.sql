select Datepart (year, @d), Datepart (quarter, @d), Datepart (month, @d), Datepart (dayofyear, @d)
select Datepart (day, @d), Datepart (week, @d), Datepart (minute, @d), Datepart (second, @d)
select Datepart (year, @d), Datepart (year, @d), Datepart (minute, @d), Datepart ()
