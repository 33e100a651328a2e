select Datepart (yy, @d), Datepart (qq, @d), Datepart (mm, @d), Datepart (dy, @d)
select Datepart (dd, @d), Datepart (wk, @d), Datepart (mi, @d), Datepart (ss, @d)
select Datepart (year, @d), Datepart (yy, @d), Datepart (mi, @d), Datepart ()
