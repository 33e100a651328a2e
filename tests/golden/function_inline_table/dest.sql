create procedure dba.f (@p int) as select * from t where a = @p
