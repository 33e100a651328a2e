create view dba.v as
select [date], char(1) as c, Length (b) as l
from dba.t , sysobjects
where a != 1 and @@options > 0 and sp_who = 1
