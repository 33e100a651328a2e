create view dba.vOdd
as
select id, Mod (id, 2) as odd, Datename (weekday, created) as day_name,
  Locate (code, '-', 2) as dash
from dba.T
with check option
